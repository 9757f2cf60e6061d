// Compares an image file with the exact one, described by the repository's golden-rows.txt: the
// SHA-256 of the whole file and of each of its 1024 pixel rows.

export const kHeaderSize = 18;
export const kRowBytes = 1280 * 3;
export const kRowCount = 1024;
export const kImageSize = kHeaderSize + kRowCount * kRowBytes;
// Image type 2, 1280 x 1024, 24 bits per pixel, bottom row first.
const kHeader = [0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x00, 0x05, 0x00, 0x04, 0x18, 0];

// {wholeHash, size, rowHashes}: rowHashes[row] is the hex SHA-256 of the row, row 0 the bottom.
export function parseGoldenRows(text) {
    const whole = /whole file.*sha256 ([0-9a-f]{64}), (\d+) bytes/.exec(text);
    const rowHashes = [];
    for (const line of text.split('\n')) {
        const row = /^(\d+) ([0-9a-f]{64})$/.exec(line.trim());
        if (row) rowHashes[Number(row[1])] = row[2];
    }
    if (!whole || rowHashes.length !== kRowCount || rowHashes.includes(undefined)) {
        return null;
    }
    return {wholeHash: whole[1], size: Number(whole[2]), rowHashes};
}

export async function sha256Hex(bytes) {
    const digest = new Uint8Array(await crypto.subtle.digest('SHA-256', bytes));
    return Array.from(digest, (b) => b.toString(16).padStart(2, '0')).join('');
}

// {exact, sha256, size, headerMatches, firstDifferingRow, differingRows}. A row that is missing
// or cut short counts as differing; firstDifferingRow is null when every row matches.
export async function compareImage(bytes, golden) {
    const sha256 = await sha256Hex(bytes);
    const result = {
        exact: sha256 === golden.wholeHash && bytes.length === golden.size,
        sha256,
        size: bytes.length,
        headerMatches: true,
        firstDifferingRow: null,
        differingRows: 0,
    };
    if (result.exact) return result;

    result.headerMatches = bytes.length >= kHeaderSize && kHeader.every((b, i) => bytes[i] === b);
    for (let row = 0; row < kRowCount; ++row) {
        const start = kHeaderSize + row * kRowBytes;
        const matches = start + kRowBytes <= bytes.length &&
                        (await sha256Hex(bytes.subarray(start, start + kRowBytes))) ===
                            golden.rowHashes[row];
        if (matches) continue;
        if (result.firstDifferingRow === null) result.firstDifferingRow = row;
        ++result.differingRows;
    }
    return result;
}
