// A WASI (preview 1) host for a command module that needs only two services: fd_write to
// descriptors 1 and 2, and proc_exit. It runs in a worker, or in Node for the tests.

const kWasiModule = 'wasi_snapshot_preview1';
const kProvided = ['fd_write', 'proc_exit'];
const kErrnoSuccess = 0;
const kErrnoBadf = 8;

// proc_exit throws this to unwind the module's stack; nothing the module does can throw it.
const kExit = Symbol('proc_exit');

// The imports of `module` that this host does not provide, as "module.name".
export function missingImports(module) {
    return WebAssembly.Module.imports(module)
        .filter((i) => !(i.module === kWasiModule && i.kind === 'function' &&
                         kProvided.includes(i.name)))
        .map((i) => `${i.module}.${i.name}`);
}

// Runs the command module to its end. Each buffer written to descriptor 1 or 2 goes to
// onStdout or onStderr as a copy, in order. The result is {status} for a module that exited or
// returned from _start, or {error: {kind, message}} with kind 'import', 'module' or 'trap'.
export function runCommand(module, {onStdout, onStderr}) {
    const missing = missingImports(module);
    if (missing.length > 0) {
        const list = missing.join(', ');
        return failure('import', `the module imports ${list}, which this host does not provide`);
    }

    let memory = null;
    const fdWrite = (descriptor, iovs, iovsLength, writtenAt) => {
        const sink = descriptor === 1 ? onStdout : descriptor === 2 ? onStderr : null;
        if (sink === null) return kErrnoBadf;
        const view = new DataView(memory.buffer);
        let written = 0;
        for (let i = 0; i < iovsLength; ++i) {
            const base = view.getUint32(iovs + 8 * i, true);
            const length = view.getUint32(iovs + 8 * i + 4, true);
            sink(new Uint8Array(memory.buffer, base, length).slice());
            written += length;
        }
        view.setUint32(writtenAt, written, true);
        return kErrnoSuccess;
    };
    const procExit = (status) => {
        throw {[kExit]: true, status};
    };

    let instance;
    try {
        instance = new WebAssembly.Instance(
            module, {[kWasiModule]: {fd_write: fdWrite, proc_exit: procExit}});
    } catch (error) {
        return failure('module', `the module cannot be instantiated: ${error.message}`);
    }
    const {_start: start, memory: exportedMemory} = instance.exports;
    if (typeof start !== 'function' || !(exportedMemory instanceof WebAssembly.Memory)) {
        return failure('module', 'the module is not a WASI command: no _start or no memory');
    }
    memory = exportedMemory;

    try {
        start();
    } catch (thrown) {
        if (thrown !== null && typeof thrown === 'object' && thrown[kExit]) {
            return {status: thrown.status};
        }
        const cause = thrown instanceof Error ? `${thrown.name}: ${thrown.message}`
                                              : String(thrown);
        return failure('trap', `the module stopped with a trap: ${cause}`);
    }
    return {status: 0};
}

function failure(kind, message) {
    return {error: {kind, message}};
}
