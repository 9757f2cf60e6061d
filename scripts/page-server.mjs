#!/usr/bin/env node
// Serves the page in web/ on 127.0.0.1 only, with the two modules and the image
// check at fixed paths: /raymarch.wasm (build/wasm), /raymarch-simd.wasm (build/wasm-simd) and
// /image_check.wasm (build/wasm). Prints the address to open on its first line of output.
//
// With --report FILE it also serves the browser check: /test-modules/NAME.wasm serves the bad
// modules of web/tests/test_modules.mjs, each page it serves carries a report token of its own,
// and POST /report appends the JSON the page sends with that token as one line to FILE, once.
//
// A token carries its own proof, so serving a page stores nothing and no number of requests can
// push out the token of a page that is still open: it is a serial number and the time of issue
// (milliseconds of a monotonic clock since the server started), signed with an HMAC-SHA256 under
// a secret drawn at start, which no one outside the server knows. A report is taken when the
// signature holds, the token is at most an hour old, and its serial has not served a report yet.
// Those serials are the only state, and bounded: a used serial is kept until its token lapses;
// should kMaxUsedTokens of them be kept at once, the lowest is dropped and every serial up to it
// counts as used from then on, so a token can never serve twice, at worst an old one is refused.
//
// Every request gets an answer with a status, and none ends the server: names are looked up in
// the server's own tables only, a target it cannot parse is 400, an HTTP/1.1 request without a
// Host, or with two, is 400, a Host other than its own address and port is 421 (so a page on
// another name that resolves here cannot read it), CONNECT is 405, and anything unexpected is 500
// and logged. Every answer, including those to requests Node's parser refuses, carries nosniff.
import {createHmac, randomBytes, timingSafeEqual} from 'node:crypto';
import {openSync, readFileSync, statSync, writeSync} from 'node:fs';
import {createServer, STATUS_CODES} from 'node:http';
import {dirname, join} from 'node:path';
import {performance} from 'node:perf_hooks';
import process from 'node:process';
import {fileURLToPath} from 'node:url';

const usage = 'usage: scripts/page-server.mjs [--port N] [--report FILE]';
const root = join(dirname(fileURLToPath(import.meta.url)), '..');
const kMaxReport = 64 * 1024;
// Long enough for a human to watch a frame in a slow browser.
const kTokenLife = 60 * 60 * 1000;
const kMaxUsedTokens = 4096;

const kText = 'text/plain; charset=utf-8';
const types = new Map([
    ['.html', 'text/html; charset=utf-8'],
    ['.js', 'text/javascript; charset=utf-8'],
    ['.css', 'text/css; charset=utf-8'],
    ['.txt', kText],
    ['.wasm', 'application/wasm'],
    ['.png', 'image/png'],
]);
const page = join(root, 'web/index.html');
const fixed = new Map([
    ['/raymarch.wasm', join(root, 'build/wasm/raymarch.wasm')],
    ['/raymarch-simd.wasm', join(root, 'build/wasm-simd/raymarch.wasm')],
    ['/image_check.wasm', join(root, 'build/wasm/image_check.wasm')],
]);

let port = 8000;
let reportFile = null;
const args = process.argv.slice(2);
for (let i = 0; i < args.length; ++i) {
    if (args[i] === '-h' || args[i] === '--help') {
        console.log(usage);
        process.exit(0);
    } else if (args[i] === '--port' && /^\d{1,5}$/.test(args[i + 1] ?? '') &&
               Number(args[i + 1]) < 65536) {
        port = Number(args[++i]);
    } else if (args[i] === '--report' && args[i + 1] !== undefined) {
        reportFile = args[++i];
    } else {
        console.error(usage);
        process.exit(2);
    }
}

// The report file is opened before the first request, so that a bad name ends the server at its
// start rather than failing each report.
let reportDescriptor = null;
if (reportFile !== null) {
    try {
        reportDescriptor = openSync(reportFile, 'a');
    } catch (error) {
        console.error(`page-server: cannot open the report file: ${error.message}`);
        process.exit(1);
    }
}
const testModules = reportFile === null
    ? new Map()
    : new Map(Object.entries((await import('../web/tests/test_modules.mjs')).testModules));
const tokenSecret = randomBytes(32);
let nextSerial = 0;
const usedSerials = new Map(); // serial -> time of issue
let usedFloor = -1; // every serial up to this one counts as used
let ownHost = null; // "127.0.0.1:PORT" once listening

// Only the files of web/ itself, not of its subfolders, and no hidden ones.
function filePath(pathname) {
    if (fixed.has(pathname)) return fixed.get(pathname);
    const name = pathname.slice(1);
    return /^[\w-][\w.-]*$/.test(name) ? join(root, 'web', name) : null;
}

// A response that comes before the request's body has been read closes the connection, so that
// the rest of a large body is not read.
function send(response, status, body, type = kText, headers = {}) {
    response.writeHead(status, {
        'Content-Type': type,
        'Cache-Control': 'no-store',
        'X-Content-Type-Options': 'nosniff',
        ...(response.req.complete ? {} : {Connection: 'close'}),
        ...headers,
    });
    response.end(body);
}

function unexpected(request, response, error) {
    console.error(`page-server: ${request.method} ${request.url}: ${error.stack ?? error}`);
    if (response.headersSent) {
        response.destroy();
    } else {
        send(response, 500, 'internal error\n');
    }
}

// A token is 56 hex digits: the serial (12), the time of issue (12) and the first half of the
// HMAC of those 24 digits (32).
function signature(fields) {
    return createHmac('sha256', tokenSecret).update(fields).digest('hex').slice(0, 32);
}

function issueToken() {
    const fields = (nextSerial++).toString(16).padStart(12, '0') +
                   Math.floor(performance.now()).toString(16).padStart(12, '0');
    return fields + signature(fields);
}

// The token's serial and time of issue, or a reason to refuse it.
function checkToken(token) {
    if (typeof token !== 'string' || !/^[0-9a-f]{56}$/.test(token) ||
        !timingSafeEqual(Buffer.from(signature(token.slice(0, 24))), Buffer.from(token.slice(24)))) {
        return {refused: 'no page was served with this report token'};
    }
    const serial = parseInt(token.slice(0, 12), 16);
    const issued = parseInt(token.slice(12, 24), 16);
    if (performance.now() - issued > kTokenLife) return {refused: 'this report token has lapsed'};
    if (serial <= usedFloor || usedSerials.has(serial)) {
        return {refused: 'this report token has served its report'};
    }
    return {serial, issued};
}

function markUsed({serial, issued}) {
    const now = performance.now();
    for (const [used, time] of usedSerials) {
        if (now - time > kTokenLife) usedSerials.delete(used);
    }
    if (usedSerials.size >= kMaxUsedTokens) {
        const lowest = Math.min(...usedSerials.keys());
        usedFloor = Math.max(usedFloor, lowest);
        for (const used of usedSerials.keys()) {
            if (used <= usedFloor) usedSerials.delete(used);
        }
    }
    usedSerials.set(serial, issued);
}

// The page, with a fresh report token when the server takes reports.
function servePage(response) {
    let html = readFileSync(page, 'utf8');
    if (reportFile !== null) {
        const token = issueToken();
        html = html.replace('<head>\n', `<head>\n<meta name="report-token" content="${token}">\n`);
    }
    send(response, 200, html, types.get('.html'));
}

function serveReport(request, response) {
    const token = request.headers['x-report-token'];
    const origin = request.headers.origin;
    const {refused} = checkToken(token);
    if (refused) return send(response, 403, `${refused}\n`);
    if (origin !== undefined && origin !== `http://${ownHost}`) {
        return send(response, 403, `reports come only from http://${ownHost}\n`);
    }
    if (!/^application\/json\s*(;|$)/i.test(request.headers['content-type'] ?? '')) {
        return send(response, 415, 'a report is application/json\n');
    }
    const tooLarge = () => send(response, 413, `a report has at most ${kMaxReport} bytes\n`);
    if (Number(request.headers['content-length'] ?? 0) > kMaxReport) return tooLarge();

    const chunks = [];
    let size = 0;
    request.on('error', () => {});
    request.on('data', (chunk) => {
        size += chunk.length;
        if (size <= kMaxReport) {
            chunks.push(chunk);
        } else if (!response.headersSent) {
            tooLarge();
        }
    });
    request.on('end', () => {
        if (response.headersSent) return;
        try {
            acceptReport(token, Buffer.concat(chunks).toString('utf8'), response);
        } catch (error) {
            unexpected(request, response, error);
        }
    });
}

function acceptReport(token, text, response) {
    // Checked again: another report with the same token may have come while this one was read.
    const checked = checkToken(token);
    if (checked.refused) return send(response, 403, `${checked.refused}\n`);
    let report;
    try {
        report = JSON.parse(text);
    } catch {
        return send(response, 400, 'a report is a JSON object\n');
    }
    if (report === null || typeof report !== 'object' || Array.isArray(report)) {
        return send(response, 400, 'a report is a JSON object\n');
    }
    const line = Buffer.from(`${JSON.stringify(report)}\n`);
    try {
        for (let at = 0; at < line.length;) at += writeSync(reportDescriptor, line, at);
    } catch (error) {
        console.error(`page-server: cannot write the report to ${reportFile}: ${error.message}`);
        return send(response, 500, `cannot write the report: ${error.code ?? error.message}\n`);
    }
    markUsed(checked);
    send(response, 204, '');
}

function serve(request, response) {
    const hosts = request.headersDistinct.host ?? [];
    if (hosts.length > 1 || (hosts.length === 0 && request.httpVersion === '1.1')) {
        return send(response, 400, 'an HTTP/1.1 request names one Host\n');
    }
    if (request.headers.host !== ownHost) {
        return send(response, 421, `this server answers only to http://${ownHost}/\n`);
    }
    let pathname;
    try {
        ({pathname} = new URL(request.url, `http://${ownHost}`));
    } catch {
        return send(response, 400, 'cannot parse the request target\n');
    }
    if (reportFile !== null && pathname === '/report') {
        if (request.method === 'POST') return serveReport(request, response);
        return send(response, 405, 'method not allowed\n', kText, {Allow: 'POST'});
    }
    if (request.method !== 'GET' && request.method !== 'HEAD') {
        return send(response, 405, 'method not allowed\n', kText, {Allow: 'GET, HEAD'});
    }
    if (pathname === '/' || pathname === '/index.html') return servePage(response);
    const testModule = /^\/test-modules\/([\w-]+)\.wasm$/.exec(pathname);
    if (testModule && testModules.has(testModule[1])) {
        return send(response, 200, testModules.get(testModule[1]), types.get('.wasm'));
    }
    const path = filePath(pathname);
    let body;
    try {
        if (!statSync(path).isFile()) throw new Error('not a file');
        body = readFileSync(path);
    } catch {
        return send(response, 404, `not found: ${pathname}\n`);
    }
    const extension = /\.[a-z]+$/.exec(path)?.[0];
    send(response, 200, body, types.get(extension) ?? 'application/octet-stream');
}

// Node answers a request without a Host itself, without the headers of the others, unless told
// to leave it to the server.
const server = createServer({requireHostHeader: false}, (request, response) => {
    try {
        serve(request, response);
    } catch (error) {
        unexpected(request, response, error);
    }
});

// An answer written on a socket that Node's HTTP server has let go of, with the headers of every
// other answer, after which the connection closes.
function sendOnSocket(socket, status, headers = {}) {
    const body = `${STATUS_CODES[status].toLowerCase()}\n`;
    const lines = [`HTTP/1.1 ${status} ${STATUS_CODES[status]}`, `Content-Type: ${kText}`,
                   'Cache-Control: no-store', 'X-Content-Type-Options: nosniff',
                   ...Object.entries(headers).map(([name, value]) => `${name}: ${value}`),
                   'Connection: close', `Content-Length: ${body.length}`];
    socket.end(`${lines.join('\r\n')}\r\n\r\n${body}`);
}

// Requests that Node's parser refuses, answered as it would.
server.on('clientError', (error, socket) => {
    if (!socket.writable || error.code === 'ECONNRESET') return socket.destroy();
    const status = error.code === 'HPE_HEADER_OVERFLOW' ? 431
                 : error.code === 'ERR_HTTP_REQUEST_TIMEOUT' ? 408 : 400;
    sendOnSocket(socket, status);
});
// Node hands CONNECT over with its bare socket; a client that never closes its side is cut off
// after a while.
server.on('connect', (request, socket) => {
    socket.on('error', () => socket.destroy());
    socket.setTimeout(10000, () => socket.destroy());
    sendOnSocket(socket, 405, {Allow: 'GET, HEAD'});
});
server.listen(port, '127.0.0.1', () => {
    ownHost = `127.0.0.1:${server.address().port}`;
    console.log(`serving the page at http://${ownHost}/`);
});
server.on('error', (error) => {
    console.error(`page-server: ${error.message}`);
    process.exit(1);
});
for (const signal of ['SIGINT', 'SIGTERM']) process.on(signal, () => process.exit(0));
