// Small WASI command modules, assembled here byte by byte, that go wrong in the ways the page
// must report: one that is no module at all, one with an import the host lacks, one that traps,
// one that exits with status 3 after a message on descriptor 2, one that writes for ever and one
// that stalls after its banner; `writes` makes good ones.

const kFdWriteType = [0x60, 4, 0x7f, 0x7f, 0x7f, 0x7f, 1, 0x7f];
const kProcExitType = [0x60, 1, 0x7f, 0];
const kStartType = [0x60, 0, 0];
const kRandomGetType = [0x60, 2, 0x7f, 0x7f, 1, 0x7f];

const kUnreachable = 0x00;
const kLoop = 0x03;
const kEmptyBlock = 0x40;
const kBr = 0x0c;
const kDrop = 0x1a;
const kCall = 0x10;
const kI32Const = 0x41;
const kEnd = 0x0b;

function leb(value) {
    const bytes = [];
    do {
        let byte = value & 0x7f;
        value >>>= 7;
        if (value !== 0) byte |= 0x80;
        bytes.push(byte);
    } while (value !== 0);
    return bytes;
}

// Signed, for i32.const.
function sleb(value) {
    const bytes = [];
    for (;;) {
        const byte = value & 0x7f;
        value >>= 7;
        if ((value === 0 && !(byte & 0x40)) || (value === -1 && byte & 0x40)) {
            bytes.push(byte);
            return bytes;
        }
        bytes.push(byte | 0x80);
    }
}

const text = (string) => [...leb(string.length), ...new TextEncoder().encode(string)];
const vector = (items) => [...leb(items.length), ...items.flat()];
const section = (id, content) => [id, ...leb(content.length), ...content];
const i32 = (value) => [kI32Const, ...sleb(value)];

// A command module: the WASI functions `imports` (fd_write, proc_exit, random_get), one page of
// memory holding `data` at address 0, and _start running `code`, in which call(name) calls an
// import.
function command(imports, code, data = []) {
    const types = {fd_write: 0, proc_exit: 1, random_get: 3};
    const call = (name) => [kCall, ...leb(imports.indexOf(name))];
    const body = [0, ...code(call), kEnd];
    return new Uint8Array([
        0x00, 0x61, 0x73, 0x6d, 0x01, 0x00, 0x00, 0x00,
        ...section(1, vector([kFdWriteType, kProcExitType, kStartType, kRandomGetType])),
        ...section(2, vector(imports.map((name) => [
            ...text('wasi_snapshot_preview1'), ...text(name), 0x00, types[name]]))),
        ...section(3, vector([[2]])),
        ...section(5, vector([[0x00, 1]])),
        ...section(7, vector([[...text('_start'), 0x00, ...leb(imports.length)],
                              [...text('memory'), 0x02, 0]])),
        ...section(10, vector([[...leb(body.length), ...body]])),
        ...section(11, vector([[0x00, ...i32(0), kEnd, ...leb(data.length), ...data]])),
    ]);
}

const littleEndian32 = (value) =>
    [value & 0xff, (value >> 8) & 0xff, (value >> 16) & 0xff, value >>> 24];

// Memory for one fd_write of `string`: its iovec at 0, the count written at 8, the text at 16.
function oneWrite(string) {
    const bytes = new TextEncoder().encode(string);
    return [16, 0, 0, 0, ...littleEndian32(bytes.length), 0, 0, 0, 0, 0, 0, 0, 0, ...bytes];
}

const writeThen = (descriptor, finish) => (call) =>
    [...i32(descriptor), ...i32(0), ...i32(1), ...i32(8), ...call('fd_write'), kDrop,
     ...finish(call)];
const forever = (body) => [kLoop, kEmptyBlock, ...body, kBr, 0, kEnd];

export const testModules = {
    'not-wasm': new TextEncoder().encode('this is not a WebAssembly module\n'),
    'missing-import': command(['fd_write', 'proc_exit', 'random_get'], () => []),
    'trap': command(['fd_write', 'proc_exit'], () => [kUnreachable]),
    'exit-status': command(['fd_write', 'proc_exit'],
                           writeThen(2, (call) => [...i32(3), ...call('proc_exit')]),
                           oneWrite('raymarch: test failure\n')),
    // Its whole page of memory to descriptor 1, again and again.
    'flood': command(['fd_write', 'proc_exit'],
                     (call) => forever(writeThen(1, () => [])(call)),
                     [0, 0, 0, 0, ...littleEndian32(65536)]),
    'stall': command(['fd_write', 'proc_exit'], writeThen(2, () => forever([])),
                     oneWrite('Starting raymarching process\n')),
};

// Calls fd_write(descriptor, iovs, count, writtenAt) with `data` at address 0 and exits with
// the error number it returned.
function writeAndExit(descriptor, iovs, count, writtenAt, data) {
    return command(['fd_write', 'proc_exit'], (call) =>
        [...i32(descriptor), ...i32(iovs), ...i32(count), ...i32(writtenAt), ...call('fd_write'),
         ...call('proc_exit')],
        data);
}

// Writes `string` to `descriptor` and exits with the error number that fd_write returned.
export const writes = (descriptor, string) => writeAndExit(descriptor, 0, 1, 8, oneWrite(string));

// The same on descriptor 1 with the iovecs at `iovs`, `count` of them, and the count written
// going to `writtenAt`.
export const writesAt = (iovs, count, writtenAt, data) =>
    writeAndExit(1, iovs, count, writtenAt, data);

export const exitsWith = (status) =>
    command(['fd_write', 'proc_exit'], (call) => [...i32(status), ...call('proc_exit')]);

// Returns from _start at once, without proc_exit.
export const returnsAtOnce = command(['fd_write', 'proc_exit'], () => []);
