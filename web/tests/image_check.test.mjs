import assert from 'node:assert/strict';
import {createHash} from 'node:crypto';
import {readFileSync} from 'node:fs';
import {test} from 'node:test';

import {kHeaderSize, kImageSize, kRowBytes, loadImageCheck} from '../image_check.js';

// The module scripts/build-wasm builds, as the page server serves it.
const moduleFile = new URL('../../build/wasm/image_check.wasm', import.meta.url);
const header = [0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x00, 0x05, 0x00, 0x04, 0x18, 0];

async function imageCheck() {
    let bytes;
    try {
        bytes = readFileSync(moduleFile);
    } catch (error) {
        assert.fail(`${moduleFile.pathname} is missing: scripts/build-wasm builds it (${error.code})`);
    }
    assert.deepEqual(WebAssembly.Module.imports(new WebAssembly.Module(bytes)), []);
    return loadImageCheck(bytes);
}

const sha256 = (bytes) => createHash('sha256').update(bytes).digest('hex');

// The exact image comes only from the renderer (scripts/check-browsers checks it, and one with a
// row changed, in the browsers); here the check meets images that are not it.
test('an image of other bytes differs in every row; the header is checked apart', async () => {
    const compareImage = await imageCheck();
    const image = new Uint8Array(kImageSize);
    for (let i = 0; i < kImageSize; ++i) image[i] = (i * 7) & 0xff;
    assert.deepEqual(compareImage(image), {
        exact: false, sha256: sha256(image), size: kImageSize, headerMatches: false,
        firstDifferingRow: 0, differingRows: 1024,
    });
    image.set(header);
    assert.equal(compareImage(image).headerMatches, true);
    assert.equal(compareImage(image.subarray(0, kHeaderSize - 1)).headerMatches, false);
    assert.equal(compareImage(new Uint8Array(0)).differingRows, 1024);
});

// Every way the last block is padded: a tail of 0, 55, 56, 63 bytes and one of two blocks.
test('the module hashes files of every length as SHA-256 does', async () => {
    const compareImage = await imageCheck();
    const image = new Uint8Array(kImageSize);
    for (let i = 0; i < kImageSize; ++i) image[i] = (i * 131 + (i >> 9)) & 0xff;
    for (const size of [0, 1, 55, 56, 63, 64, 119, 120, kRowBytes, kImageSize - 1, kImageSize]) {
        const bytes = image.subarray(0, size);
        assert.equal(compareImage(bytes).sha256, sha256(bytes), `${size} bytes`);
    }
});

test('more bytes than an image are refused', async () => {
    const compareImage = await imageCheck();
    assert.throws(() => compareImage(new Uint8Array(kImageSize + 1)), RangeError);
});
