// The WASI runner on what it is given as the module: it runs a module from a regular file, and
// refuses anything else at once, with a message and status 2, without reading it.
import assert from 'node:assert/strict';
import {spawnSync} from 'node:child_process';
import {closeSync, ftruncateSync, mkdtempSync, openSync, rmSync, writeFileSync} from 'node:fs';
import {tmpdir} from 'node:os';
import {join} from 'node:path';
import {after, test} from 'node:test';

import {exitsWith, writes} from './test_modules.mjs';

const runner = new URL('../../scripts/run-wasm.mjs', import.meta.url).pathname;
const work = mkdtempSync(join(tmpdir(), 'run-wasm-test-'));
after(() => rmSync(work, {recursive: true, force: true}));

// The time limit ends a runner that reads without end; the output limit one that echoes it.
function run(args, options = {}) {
    return spawnSync(process.execPath, ['--disable-warning=ExperimentalWarning', runner, ...args],
                     {encoding: 'utf8', timeout: 20000, maxBuffer: 1024 * 1024, ...options});
}

test('a module in a regular file runs, with its output and its status', () => {
    const good = join(work, 'good.wasm');
    writeFileSync(good, writes(1, 'image bytes'));
    const result = run([good]);
    assert.deepEqual([result.stdout, result.stderr, result.status], ['image bytes', '', 0]);
    const three = join(work, 'three.wasm');
    writeFileSync(three, exitsWith(3));
    assert.equal(run([three]).status, 3);
});

test('devices, folders, FIFOs, pipes, huge and missing files are refused without being read', () => {
    const fifo = join(work, 'fifo');
    spawnSync('mkfifo', [fifo]);
    const huge = join(work, 'huge.wasm');
    const descriptor = openSync(huge, 'w');
    ftruncateSync(descriptor, 64 * 1024 * 1024 + 1); // sparse: no disk space taken
    closeSync(descriptor);
    const cases = [
        ['/dev/zero', /\/dev\/zero: not a regular file/],
        ['/dev/null', /not a regular file/],
        [work, /not a regular file/],
        [fifo, /not a regular file/],
        [huge, /larger than 64 MiB/],
        [join(work, 'missing.wasm'), /ENOENT/],
        [join(work, 'fifo', 'below'), /ENOTDIR/],
    ];
    for (const [path, message, options] of cases) {
        const result = run([path], options);
        assert.equal(result.status, 2, path);
        assert.equal(result.stdout, '', path);
        assert.match(result.stderr, /^run-wasm: cannot load /, path);
        assert.match(result.stderr, message, path);
    }
    // A pipe that never ends, as a shell makes it.
    const endless = spawnSync('sh', ['-c', 'yes | "$0" "$@" /dev/stdin', process.execPath,
                                     '--disable-warning=ExperimentalWarning', runner],
                              {encoding: 'utf8', timeout: 20000});
    assert.deepEqual([endless.status, endless.stderr],
                     [2, 'run-wasm: cannot load /dev/stdin: not a regular file\n']);
});

test('a file of the right size that is no module is refused; bad arguments get the usage', () => {
    const empty = join(work, 'empty.wasm');
    writeFileSync(empty, '');
    assert.equal(run([empty]).status, 2);
    assert.match(run(['--dir', 'relative', empty]).stderr, /--dir takes an absolute path/);
    for (const args of [[], ['--dir'], ['--dir', '/tmp', '-x'], ['-x']]) {
        const result = run(args);
        assert.equal(result.status, 2, args.join(' '));
        assert.match(result.stderr, /usage: scripts\/run-wasm\.mjs \[--dir DIRECTORY\]\.\.\. MODULE\.wasm/, args.join(' '));
    }
});
