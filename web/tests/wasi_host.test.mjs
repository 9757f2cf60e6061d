import assert from 'node:assert/strict';
import {test} from 'node:test';

import {runCommand} from '../wasi_host.js';
import {returnsAtOnce, testModules, writes} from './test_modules.mjs';

function runBytes(bytes) {
    const out = [];
    const err = [];
    const result = runCommand(new WebAssembly.Module(bytes), {
        onStdout: (b) => out.push(...b),
        onStderr: (b) => err.push(...b),
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
