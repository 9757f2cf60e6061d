// A WASI (preview 1) host for a command module that needs only two services: fd_write to
// descriptors 1 and 2, and proc_exit. It runs in a worker, or in Node for the tests.

const kWasiModule = 'wasi_snapshot_preview1';
const kProvided = ['fd_write', 'proc_exit'];
const kErrnoSuccess = 0;
const kErrnoBadf = 8;
const kErrnoFault = 21;
const kErrnoInval = 28;

// proc_exit, and a write beyond its descriptor's limit, throw these to unwind the module's
// stack; nothing the module does can throw them.
const kExit = Symbol('proc_exit');
const kOverflow = Symbol('overflow');

// The imports of `module` that this host does not provide, as "module.name".
export function missingImports(module) {
    return WebAssembly.Module.imports(module)
        .filter((i) => !(i.module === kWasiModule && i.kind === 'function' &&
                         kProvided.includes(i.name)))
        .map((i) => `${i.module}.${i.name}`);
}

// Runs the command module to its end. Each buffer written to descriptor 1 or 2 goes to
// onStdout or onStderr as a copy, in order, up to maxStdout and maxStderr bytes in all. The
// result is {status} for a module that exited (WASI's unsigned status) or returned from _start;
// {overflow: descriptor} for one stopped at the write that would pass that descriptor's limit,
// whose bytes up to the limit were passed on; or {error: {kind, message}} with kind 'import',
// 'module' or 'trap'. A write naming memory outside the module's gets EFAULT, nothing written.
export function runCommand(module, {onStdout, onStderr, maxStdout = Infinity,
                                    maxStderr = Infinity}) {
    const missing = missingImports(module);
    if (missing.length > 0) {
        const list = missing.join(', ');
        return failure('import', `the module imports ${list}, which this host does not provide`);
    }

    let memory = null;
    const sinks = new Map([[1, {write: onStdout, room: maxStdout}],
                           [2, {write: onStderr, room: maxStderr}]]);
    const fdWrite = (descriptor, iovsAddress, iovsLength, writtenAddress) => {
        const sink = sinks.get(descriptor);
        if (sink === undefined) return kErrnoBadf;
        // Addresses and lengths are unsigned; WebAssembly hands i32 values over as signed.
        const [iovs, count, writtenAt] = [iovsAddress >>> 0, iovsLength >>> 0,
                                          writtenAddress >>> 0];
        const size = memory.buffer.byteLength;
        if (iovs + 8 * count > size || writtenAt + 4 > size) return kErrnoFault;
        const view = new DataView(memory.buffer);
        const buffers = [];
        let written = 0;
        for (let i = 0; i < count; ++i) {
            const base = view.getUint32(iovs + 8 * i, true);
            const length = view.getUint32(iovs + 8 * i + 4, true);
            if (base + length > size) return kErrnoFault;
            buffers.push([base, length]);
            written += length;
        }
        if (written > 0xffffffff) return kErrnoInval;
        for (const [base, length] of buffers) {
            const bytes = new Uint8Array(memory.buffer, base, Math.min(length, sink.room));
            if (bytes.length > 0) sink.write(bytes.slice());
            sink.room -= bytes.length;
            if (bytes.length < length) throw {[kOverflow]: descriptor};
        }
        view.setUint32(writtenAt, written, true);
        return kErrnoSuccess;
    };
    const procExit = (status) => {
        throw {[kExit]: true, status: status >>> 0};
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
        if (thrown !== null && typeof thrown === 'object' && thrown[kOverflow]) {
            return {overflow: thrown[kOverflow]};
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
