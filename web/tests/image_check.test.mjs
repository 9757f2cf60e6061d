import assert from 'node:assert/strict';
import {readFileSync} from 'node:fs';
import {test} from 'node:test';

import {compareImage, kHeaderSize, kImageSize, kRowBytes, parseGoldenRows, sha256Hex}
    from '../image_check.js';

const goldenText = readFileSync(new URL('../../tests/golden-rows.txt', import.meta.url), 'utf8');

test('the golden rows file gives the whole-file hash, the size and all 1024 row hashes', () => {
    const golden = parseGoldenRows(goldenText);
    assert.equal(golden.wholeHash,
                 'a342819b6b33f177c88dfd708ba7a9fb1e9a71be58213cf6bc6416bdce5d826a');
    assert.equal(golden.size, kImageSize);
    assert.equal(golden.rowHashes.length, 1024);
    assert.equal(golden.rowHashes[1023],
                 '2610e6c34590f847110060ac8e1b6aec14dc82353572a3a8ae4bafcff86f38ce');
    assert.equal(parseGoldenRows(goldenText.replace(/^1023 .*$/m, '')), null);
});

// A made-up image with its own golden rows, since the exact image comes only from the renderer.
async function madeUp() {
    const image = new Uint8Array(kImageSize);
    image.set([0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x00, 0x05, 0x00, 0x04, 0x18, 0]);
    for (let i = kHeaderSize; i < kImageSize; ++i) image[i] = (i * 7) & 0xff;
    const rowHashes = [];
    for (let row = 0; row < 1024; ++row) {
        const start = kHeaderSize + row * kRowBytes;
        rowHashes.push(await sha256Hex(image.subarray(start, start + kRowBytes)));
    }
    return {image, golden: {wholeHash: await sha256Hex(image), size: kImageSize, rowHashes}};
}

test('an image is exact, or differs with its first differing row and the count', async () => {
    const {image, golden} = await madeUp();
    assert.equal((await compareImage(image, golden)).exact, true);

    const flipped = image.slice();
    flipped[kHeaderSize + 700 * kRowBytes + 5] ^= 0xff;
    flipped[kHeaderSize + 900 * kRowBytes] ^= 0x01;
    const two = await compareImage(flipped, golden);
    assert.deepEqual([two.exact, two.headerMatches, two.firstDifferingRow, two.differingRows],
                     [false, true, 700, 2]);

    const header = image.slice();
    header[16] = 32;
    const onlyHeader = await compareImage(header, golden);
    assert.deepEqual([onlyHeader.exact, onlyHeader.headerMatches, onlyHeader.firstDifferingRow],
                     [false, false, null]);
});

test('a short or long file is not exact; a short or missing row differs', async () => {
    const {image, golden} = await madeUp();
    const short = await compareImage(image.subarray(0, kImageSize - kRowBytes - 1), golden);
    assert.deepEqual([short.exact, short.firstDifferingRow, short.differingRows], [false, 1022, 2]);

    const long = new Uint8Array(kImageSize + 1);
    long.set(image);
    const extra = await compareImage(long, golden);
    assert.deepEqual([extra.exact, extra.firstDifferingRow, extra.differingRows], [false, null, 0]);
});
