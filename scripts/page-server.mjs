#!/usr/bin/env node
// Serves the page in web/ on 127.0.0.1 only, with the two modules and the exact image's row
// hashes at fixed paths: /raymarch.wasm (build/wasm), /raymarch-simd.wasm (build/wasm-simd) and
// /golden-rows.txt. Prints the address to open on its first line of output.
//
// With --report FILE it also serves the browser check: the page's POST /report appends the JSON
// it sends as one line to FILE, and /test-modules/NAME.wasm serves the bad modules of
// web/tests/test_modules.mjs.
import {appendFileSync, readFileSync, statSync} from 'node:fs';
import {createServer} from 'node:http';
import {dirname, join} from 'node:path';
import process from 'node:process';
import {fileURLToPath} from 'node:url';

const usage = 'usage: scripts/page-server.mjs [--port N] [--report FILE]';
const root = join(dirname(fileURLToPath(import.meta.url)), '..');
const kMaxReport = 64 * 1024;

const types = {
    '.html': 'text/html; charset=utf-8',
    '.js': 'text/javascript; charset=utf-8',
    '.css': 'text/css; charset=utf-8',
    '.txt': 'text/plain; charset=utf-8',
    '.wasm': 'application/wasm',
    '.png': 'image/png',
};
const fixed = {
    '/': join(root, 'web/index.html'),
    '/raymarch.wasm': join(root, 'build/wasm/raymarch.wasm'),
    '/raymarch-simd.wasm': join(root, 'build/wasm-simd/raymarch.wasm'),
    '/golden-rows.txt': join(root, 'tests/golden-rows.txt'),
};

let port = 8000;
let reportFile = null;
const args = process.argv.slice(2);
for (let i = 0; i < args.length; ++i) {
    if (args[i] === '-h' || args[i] === '--help') {
        console.log(usage);
        process.exit(0);
    } else if (args[i] === '--port' && /^\d+$/.test(args[i + 1] ?? '') &&
               Number(args[i + 1]) < 65536) {
        port = Number(args[++i]);
    } else if (args[i] === '--report' && args[i + 1] !== undefined) {
        reportFile = args[++i];
    } else {
        console.error(usage);
        process.exit(2);
    }
}
const testModules = reportFile === null ? {}
                  : (await import('../web/tests/test_modules.mjs')).testModules;

// Only the files of web/ itself, not of its subfolders, and no hidden ones.
function filePath(pathname) {
    if (pathname in fixed) return fixed[pathname];
    const name = pathname.slice(1);
    return /^[\w-][\w.-]*$/.test(name) ? join(root, 'web', name) : null;
}

function send(response, status, type, body) {
    response.writeHead(status, {'Content-Type': type, 'Cache-Control': 'no-store'});
    response.end(body);
}

function serveReport(request, response) {
    const chunks = [];
    let size = 0;
    request.on('data', (chunk) => {
        size += chunk.length;
        if (size <= kMaxReport) chunks.push(chunk);
    });
    request.on('end', () => {
        const text = Buffer.concat(chunks).toString('utf8');
        let report;
        try {
            report = JSON.parse(text);
        } catch {
            return send(response, 400, types['.txt'], 'not JSON\n');
        }
        if (size > kMaxReport) return send(response, 413, types['.txt'], 'too large\n');
        appendFileSync(reportFile, `${JSON.stringify(report)}\n`);
        send(response, 204, types['.txt'], '');
    });
}

const server = createServer((request, response) => {
    const {pathname} = new URL(request.url, 'http://127.0.0.1');
    if (reportFile !== null && request.method === 'POST' && pathname === '/report') {
        return serveReport(request, response);
    }
    if (request.method !== 'GET' && request.method !== 'HEAD') {
        return send(response, 405, types['.txt'], 'method not allowed\n');
    }
    const testModule = /^\/test-modules\/([\w-]+)\.wasm$/.exec(pathname);
    if (testModule && testModule[1] in testModules) {
        return send(response, 200, types['.wasm'], testModules[testModule[1]]);
    }
    const path = filePath(pathname);
    const extension = path && /\.[a-z]+$/.exec(path)?.[0];
    let body;
    try {
        if (!statSync(path).isFile()) throw new Error('not a file');
        body = readFileSync(path);
    } catch {
        return send(response, 404, types['.txt'], `not found: ${pathname}\n`);
    }
    send(response, 200, types[extension] ?? 'application/octet-stream', body);
});

server.listen(port, '127.0.0.1', () => {
    console.log(`serving the page at http://127.0.0.1:${server.address().port}/`);
});
server.on('error', (error) => {
    console.error(`page-server: ${error.message}`);
    process.exit(1);
});
for (const signal of ['SIGINT', 'SIGTERM']) process.on(signal, () => process.exit(0));
