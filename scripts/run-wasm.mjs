#!/usr/bin/env -S node --disable-warning=ExperimentalWarning
// Runs a WASI (preview 1) command module such as build/wasm/raymarch.wasm under Node's node:wasi,
// with the module's descriptors 0, 1 and 2 on this process's own, and exits with its status.
//
// Descriptor 2 belongs to the module, so the shebang turns off Node's one-line notice that WASI
// is experimental (run with plain `node` to see it); every other warning still shows.
//
// Descriptors 1 and 2 stay as the parent gave them. Node switches a pipe to non-blocking mode
// as soon as process.stdout or process.stderr is first read, and importing node:process reads
// every property of the process object; so the runner uses only the global `process`,
// for its arguments and its exit, and writes its own messages with writeSync. A parent may still
// hand over a non-blocking pipe, on which node:wasi's fd_write returns EAGAIN when the reader
// falls behind: the module never sees that error, its write waits until the pipe takes bytes
// again, as the native program's does in poll.
//
// The module is read only from a regular file of at most kMaxModule bytes, and no further than
// one byte past the size it had when opened (a file that grows while it is read is refused): a
// device, a FIFO or a pipe named as the module would otherwise be read without end.
import { closeSync, constants, fstatSync, openSync, readSync, writeSync } from 'node:fs';
import { WASI } from 'node:wasi';

const usage = 'usage: scripts/run-wasm.mjs [--dir DIRECTORY]... MODULE.wasm [ARGUMENT]...';

function fail(message, status) {
    writeSync(2, `run-wasm: ${message}\n`);
    process.exit(status);
}

// Each --dir lets the module read and write one host folder, under the same absolute path.
const preopens = {};
let next = 2;
for (; process.argv[next] === '--dir' && next + 1 < process.argv.length; next += 2) {
    const directory = process.argv[next + 1];
    if (!directory.startsWith('/')) fail(`--dir takes an absolute path, not ${directory}`, 2);
    preopens[directory] = directory;
}
if (next >= process.argv.length || process.argv[next].startsWith('-')) {
    if (process.argv[next] === '-h' || process.argv[next] === '--help') {
        writeSync(1, `${usage}\n`);
        process.exit(0);
    }
    fail(usage, 2);
}
const modulePath = process.argv[next];
const moduleArgs = process.argv.slice(next + 1);
const kMaxModule = 64 * 1024 * 1024;

// O_NONBLOCK so that opening a FIFO with no writer returns at once, to be refused by its type.
function readModule(path) {
    const descriptor = openSync(path, constants.O_RDONLY | constants.O_NONBLOCK | constants.O_NOCTTY);
    try {
        const stat = fstatSync(descriptor);
        if (!stat.isFile()) throw new Error('not a regular file');
        if (stat.size > kMaxModule) throw new Error(`larger than ${kMaxModule / (1024 * 1024)} MiB`);
        // One byte more than the size tells a file that grew from one that ends there.
        const bytes = Buffer.alloc(stat.size + 1);
        let size = 0;
        for (let read; size < bytes.length; size += read) {
            read = readSync(descriptor, bytes, size, bytes.length - size, null);
            if (read === 0) break;
        }
        if (size > stat.size) throw new Error('the file grew while it was read');
        return bytes.subarray(0, size);
    } finally {
        closeSync(descriptor);
    }
}

let module;
try {
    module = new WebAssembly.Module(readModule(modulePath));
} catch (error) {
    fail(`cannot load ${modulePath}: ${error.message}`, 2);
}

// No environment, and no directories but those named: the renderer takes no input, and only
// the tests read files. returnOnExit makes proc_exit end start() with the status instead of
// ending Node at once.
const wasi = new WASI({
    version: 'preview1',
    args: [modulePath, ...moduleArgs],
    env: {},
    preopens,
    stdin: 0,
    stdout: 1,
    stderr: 2,
    returnOnExit: true,
});

// WASI's error number for a write that would block, and the longest pause between two tries, in
// milliseconds: short enough that a reader that catches up loses little time.
const kErrnoAgain = 6;
const kLongestPause = 20;
const pause = new Int32Array(new SharedArrayBuffer(4));
const host = wasi.getImportObject().wasi_snapshot_preview1;
const fdWrite = host.fd_write;
// Nothing is written when fd_write returns EAGAIN (a partial write returns success with its
// count), so the same call is simply tried again; every other result goes to the module.
const waitingFdWrite = (...args) => {
    for (let wait = 1;; wait = Math.min(2 * wait, kLongestPause)) {
        const errno = fdWrite(...args);
        if (errno !== kErrnoAgain) return errno;
        Atomics.wait(pause, 0, 0, wait);
    }
};
const imports = { wasi_snapshot_preview1: { ...host, fd_write: waitingFdWrite } };

let status;
try {
    status = wasi.start(new WebAssembly.Instance(module, imports));
} catch (error) {
    // A trap, or a module that is not a WASI command: not a status of the program's own.
    fail(`${modulePath} failed: ${error.stack ?? error}`, 70);
}
process.exitCode = status;
