// Whether this browser's WebAssembly has the 128-bit SIMD instructions: a module of one function
// that returns i8x16.splat(0) validates only where it does.
const kSimdProbe = new Uint8Array([
    0x00, 0x61, 0x73, 0x6d, 0x01, 0x00, 0x00, 0x00,  // magic, version 1
    0x01, 0x05, 0x01, 0x60, 0x00, 0x01, 0x7b,        // type: () -> v128
    0x03, 0x02, 0x01, 0x00,                          // one function of that type
    0x0a, 0x08, 0x01, 0x06, 0x00,                    // its body, no locals:
    0x41, 0x00, 0xfd, 0x0f, 0x0b,                    // i32.const 0, i8x16.splat, end
]);

export function hasWasmSimd() {
    try {
        return WebAssembly.validate(kSimdProbe);
    } catch {
        return false;
    }
}
