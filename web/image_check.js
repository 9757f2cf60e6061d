// Compares an image file with the exact one through the check every program of the project uses,
// built as a WebAssembly module (image_check.wasm, from tools/common/page_check.cpp) with the
// exact image's hashes compiled in.

export const kHeaderSize = 18;
export const kRowBytes = 1280 * 3;
export const kRowCount = 1024;
export const kImageSize = kHeaderSize + kRowCount * kRowBytes;

// Compiles the check from a fetch Response, or from the module's bytes, and resolves to a
// function from an image's bytes to {exact, sha256, size, headerMatches, firstDifferingRow,
// differingRows}. A row that is missing or cut short counts as differing; firstDifferingRow is
// null when every row matches. It throws a RangeError for more bytes than an image.
export async function loadImageCheck(source) {
    const {instance} = source instanceof Response
        ? await WebAssembly.instantiateStreaming(source, {})
        : await WebAssembly.instantiate(source, {});
    const {memory, imageBuffer, imageCapacity, checkImage} = instance.exports;
    return (bytes) => {
        if (bytes.length > imageCapacity()) {
            throw new RangeError(`${bytes.length} bytes, more than an image`);
        }
        new Uint8Array(memory.buffer, imageBuffer(), bytes.length).set(bytes);
        const at = checkImage(bytes.length);
        const [exact, headerMatches, firstDifferingRow, differingRows] =
            new Int32Array(memory.buffer, at, 4);
        const sha256 = new TextDecoder().decode(new Uint8Array(memory.buffer, at + 16, 64));
        return {
            exact: exact !== 0,
            sha256,
            size: bytes.length,
            headerMatches: headerMatches !== 0,
            firstDifferingRow: firstDifferingRow < 0 ? null : firstDifferingRow,
            differingRows,
        };
    };
}
