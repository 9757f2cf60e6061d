import assert from 'node:assert/strict';
import {test} from 'node:test';

import {runCommand} from '../wasi_host.js';
import {exitsWith, returnsAtOnce, testModules, writes, writesAt} from './test_modules.mjs';

function runBytes(bytes, limits = {}) {
    const out = [];
    const err = [];
    const result = runCommand(new WebAssembly.Module(bytes), {
        onStdout: (b) => out.push(...b),
        onStderr: (b) => err.push(...b),
        ...limits,
    });
    const decode = (list) => new TextDecoder().decode(new Uint8Array(list));
    return {result, stdout: decode(out), stderr: decode(err)};
}

test('writes reach the sink of their descriptor, and any other descriptor is EBADF', () => {
    assert.deepEqual(runBytes(writes(1, 'image bytes')),
                     {result: {status: 0}, stdout: 'image bytes', stderr: ''});
    assert.deepEqual(runBytes(writes(2, 'progress')),
                     {result: {status: 0}, stdout: '', stderr: 'progress'});
    assert.deepEqual(runBytes(writes(3, 'lost')), {result: {status: 8}, stdout: '', stderr: ''});
});

test('a module that returns from _start ends with status 0', () => {
    assert.deepEqual(runBytes(returnsAtOnce),
                     {result: {status: 0}, stdout: '', stderr: ''});
});

test('each bad module ends in an error that names its cause', () => {
    assert.throws(() => new WebAssembly.Module(testModules['not-wasm']), WebAssembly.CompileError);

    const missing = runBytes(testModules['missing-import']).result;
    assert.equal(missing.error.kind, 'import');
    assert.match(missing.error.message, /wasi_snapshot_preview1\.random_get/);

    const trap = runBytes(testModules.trap).result;
    assert.equal(trap.error.kind, 'trap');
    assert.match(trap.error.message, /RuntimeError: unreachable/);

    assert.deepEqual(runBytes(testModules['exit-status']),
                     {result: {status: 3}, stdout: '', stderr: 'raymarch: test failure\n'});
});

test('a buffer outside the module\'s memory gets EFAULT, and nothing of the write goes out', () => {
    const kFault = 21;
    const iovec = (base, length) => [...new Uint8Array(new Uint32Array([base, length]).buffer)];
    const cases = [
        ['a buffer past the end by one byte',
         writesAt(0, 2, 16, [...iovec(16, 2), ...iovec(65530, 7)])],
        ['iovecs past the end', writesAt(65532, 1, 0, [])],
        ['iovecs at an address above 2 GiB', writesAt(-8, 1, 0, [])],
        ['more iovecs than memory', writesAt(0, 0x20000000, 8, iovec(0, 1))],
        ['the count written past the end', writesAt(0, 1, 65533, iovec(0, 1))],
    ];
    for (const [what, bytes] of cases) {
        assert.deepEqual(runBytes(bytes), {result: {status: kFault}, stdout: '', stderr: ''}, what);
    }
    // The last byte of memory is still the module's own.
    assert.deepEqual(runBytes(writesAt(0, 1, 8, iovec(65535, 1))).result, {status: 0});
});

test('a write beyond its limit stops the module, the bytes up to the limit passed on', () => {
    const flood = runBytes(testModules.flood, {maxStdout: 100000});
    assert.deepEqual([flood.result, flood.stdout.length], [{overflow: 1}, 100000]);
    assert.deepEqual(runBytes(writes(2, 'progress'), {maxStderr: 4}),
                     {result: {overflow: 2}, stdout: '', stderr: 'prog'});
    assert.deepEqual(runBytes(writes(1, 'image bytes'), {maxStdout: 11}),
                     {result: {status: 0}, stdout: 'image bytes', stderr: ''});
});

test('exit statuses are unsigned, as WASI has them', () => {
    assert.deepEqual(runBytes(exitsWith(-1)).result, {status: 4294967295});
    assert.deepEqual(runBytes(exitsWith(255)).result, {status: 255});
});
