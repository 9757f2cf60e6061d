#!/usr/bin/env -S node --disable-warning=ExperimentalWarning
// Runs a WASI (preview 1) command module such as build/wasm/raymarch.wasm under Node's node:wasi,
// with the module's descriptors 0, 1 and 2 on this process's own, and exits with its status.
//
// Descriptor 2 belongs to the module, so the shebang turns off Node's one-line notice that WASI
// is experimental (run with plain `node` to see it); every other warning still shows. The
// runner's own messages go straight to descriptor 2 with writeSync: touching process.stdout or
// process.stderr would switch a pipe on that descriptor to non-blocking mode, and the module's
// writes to a slow reader would then fail with EAGAIN.
import { readFileSync, writeSync } from 'node:fs';
import process from 'node:process';
import { WASI } from 'node:wasi';

const usage = 'usage: scripts/run-wasm.mjs MODULE.wasm';

function fail(message, status) {
    writeSync(2, `run-wasm: ${message}\n`);
    process.exit(status);
}

if (process.argv.length !== 3 || process.argv[2].startsWith('-')) {
    if (process.argv[2] === '-h' || process.argv[2] === '--help') {
        writeSync(1, `${usage}\n`);
        process.exit(0);
    }
    fail(usage, 2);
}
const modulePath = process.argv[2];

let module;
try {
    module = new WebAssembly.Module(readFileSync(modulePath));
} catch (error) {
    fail(`cannot load ${modulePath}: ${error.message}`, 2);
}

// No arguments beyond the program name, no environment and no directories: the module takes no
// input. returnOnExit makes proc_exit end start() with the status instead of ending Node at once.
const wasi = new WASI({
    version: 'preview1',
    args: [modulePath],
    env: {},
    preopens: {},
    stdin: 0,
    stdout: 1,
    stderr: 2,
    returnOnExit: true,
});

let status;
try {
    status = wasi.start(new WebAssembly.Instance(module, wasi.getImportObject()));
} catch (error) {
    // A trap, or a module that is not a WASI command: not a status of the program's own.
    fail(`${modulePath} failed: ${error.stack ?? error}`, 70);
}
process.exitCode = status;
