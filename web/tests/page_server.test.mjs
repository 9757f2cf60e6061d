// The page server under hostile requests: each gets a status of its own, with nosniff, and the
// server still serves the page afterwards.
import assert from 'node:assert/strict';
import {spawn, spawnSync} from 'node:child_process';
import {mkdtempSync, readFileSync, rmSync} from 'node:fs';
import {connect} from 'node:net';
import {tmpdir} from 'node:os';
import {join} from 'node:path';
import {after, before, test} from 'node:test';

const scripts = new URL('../../scripts/', import.meta.url).pathname;
const work = mkdtempSync(join(tmpdir(), 'page-server-test-'));
const reports = join(work, 'reports');
const servers = [];

// Starts the server with `args`; resolves to {port, output} once it listens, or to {status,
// output} if it ends first.
function startServer(args) {
    const child = spawn(process.execPath, [join(scripts, 'page-server.mjs'), '--port', '0', ...args],
                        {stdio: ['ignore', 'pipe', 'pipe']});
    servers.push(child);
    let output = '';
    return new Promise((resolve) => {
        const read = (chunk) => {
            output += chunk;
            const port = /serving the page at http:\/\/127\.0\.0\.1:(\d+)\//.exec(output)?.[1];
            if (port) resolve({port: Number(port), output: () => output});
        };
        child.stdout.on('data', read);
        child.stderr.on('data', read);
        child.on('exit', (status) => resolve({status, output: () => output}));
    });
}

// Sends `text` as it is and resolves to the response's status, headers (lower-case names) and
// body; the request asks for the connection to close, so the response ends with it.
function raw(port, text) {
    return new Promise((resolve, reject) => {
        const socket = connect(port, '127.0.0.1');
        const chunks = [];
        socket.on('data', (chunk) => chunks.push(chunk));
        socket.on('error', reject);
        socket.on('close', () => {
            const response = Buffer.concat(chunks).toString('latin1');
            const [head, ...body] = response.split('\r\n\r\n');
            const [statusLine, ...lines] = head.split('\r\n');
            const headers = Object.fromEntries(lines.map((line) => {
                const colon = line.indexOf(':');
                return [line.slice(0, colon).toLowerCase(), line.slice(colon + 1).trim()];
            }));
            resolve({status: Number(statusLine.split(' ')[1]), headers, body: body.join('\r\n')});
        });
        socket.end(text);
    });
}

function request(port, {method = 'GET', target = '/', host = `127.0.0.1:${port}`, headers = {},
                        body = ''}) {
    const lines = [`${method} ${target} HTTP/1.1`, ...(host === null ? [] : [`Host: ${host}`]),
                   'Connection: close', ...Object.entries(headers).map(([k, v]) => `${k}: ${v}`)];
    if (body !== '' || method === 'POST') lines.push(`Content-Length: ${Buffer.byteLength(body)}`);
    return raw(port, `${lines.join('\r\n')}\r\n\r\n${body}`);
}

async function pageToken(port) {
    const page = await request(port, {});
    assert.equal(page.status, 200);
    return /<meta name="report-token" content="([0-9a-f]{56})">/.exec(page.body)[1];
}

const json = {'Content-Type': 'application/json'};
const report = (port, token, extra) =>
    request(port, {method: 'POST', target: '/report', body: '{"verdict":"exact"}',
                   headers: {...json, 'X-Report-Token': token}, ...extra});

let port;
before(async () => {
    ({port} = await startServer(['--report', reports]));
});
after(() => {
    for (const server of servers) server.kill();
    rmSync(work, {recursive: true, force: true});
});

// Each case: [what, request options, expected status]; every answer carries nosniff, and the
// page is still served after each.
async function expectAll(cases) {
    for (const [what, options, status] of cases) {
        const response = await (typeof options === 'string' ? raw(port, options)
                                                             : request(port, options));
        assert.equal(response.status, status, what);
        assert.equal(response.headers['x-content-type-options'], 'nosniff', what);
        assert.equal((await request(port, {})).status, 200, `the page after ${what}`);
    }
}

test('inherited names, unparsable targets and foreign hosts each get a status', async () => {
    await expectAll([
        ['an inherited test-module name', {target: '/test-modules/__proto__.wasm'}, 404],
        ['another', {target: '/test-modules/constructor.wasm'}, 404],
        ['an inherited fixed path', {target: '/__proto__'}, 404],
        ['a target that is no URL', {target: '//%'}, 400],
        ['a target with a bad host', {target: 'http://[::1/'}, 400],
        ['a request line the parser refuses', 'GET /\x01 HTTP/1.1\r\n\r\n', 400],
        ['a header too large', {headers: {'X-Large': 'a'.repeat(20000)}}, 431],
        ['a name that resolves here', {host: `attacker.example:${port}`}, 421],
        ['another port', {host: `127.0.0.1:${port + 1}`}, 421],
        ['no Host at all', 'GET / HTTP/1.0\r\n\r\n', 421],
        ['no Host in HTTP/1.1', 'GET / HTTP/1.1\r\nConnection: close\r\n\r\n', 400],
        ['two Hosts', {headers: {Host: `127.0.0.1:${port}`}}, 400],
        ['a method other than GET or HEAD', {method: 'DELETE'}, 405],
        ['CONNECT', `CONNECT 127.0.0.1:${port} HTTP/1.1\r\nHost: 127.0.0.1:${port}\r\n\r\n`, 405],
        ['CONNECT elsewhere', 'CONNECT example.org:443 HTTP/1.1\r\nHost: example.org:443\r\n\r\n',
         405],
    ]);
    const module = await request(port, {target: '/test-modules/trap.wasm'});
    assert.deepEqual([module.status, module.headers['content-type']], [200, 'application/wasm']);
});

test('only a report with the token of a page served, as JSON of bounded size, is kept', async () => {
    await expectAll([
        ['a report before any page was served', {method: 'POST', target: '/report',
                                                 headers: {...json, 'X-Report-Token': 'f'.repeat(32)},
                                                 body: '{"verdict":"exact"}'}, 403],
        ['a report without a token', {method: 'POST', target: '/report', headers: json,
                                      body: '{"verdict":"exact"}'}, 403],
    ]);
    const token = await pageToken(port);
    const withToken = (extra) => ({method: 'POST', target: '/report',
                                   headers: {...json, 'X-Report-Token': token, ...extra.headers},
                                   body: extra.body ?? '{"verdict":"exact"}'});
    await expectAll([
        ['a report that is not JSON', withToken({headers: {'Content-Type': 'text/plain'}}), 415],
        ['a report from another origin', withToken({headers: {Origin: 'http://attacker.example'}}),
         403],
        ['a report too large', withToken({body: `{"a":"${'x'.repeat(64 * 1024)}"}`}), 413],
        ['a report that does not parse', withToken({body: '{"verdict":'}), 400],
        ['a report that is no object', withToken({body: '[1]'}), 400],
    ]);
    const chunked = await raw(port, `POST /report HTTP/1.1\r\nHost: 127.0.0.1:${port}\r\n` +
        `Content-Type: application/json\r\nX-Report-Token: ${token}\r\n` +
        `Transfer-Encoding: chunked\r\n\r\n10000\r\n${'x'.repeat(0x10000)}\r\n` +
        `10000\r\n${'x'.repeat(0x10000)}\r\n0\r\n\r\n`);
    assert.equal(chunked.status, 413);

    assert.equal(readFileSync(reports, 'utf8'), '');
    assert.equal((await report(port, token)).status, 204);
    assert.equal((await report(port, token)).status, 403, 'a token serves one report');
    assert.equal(readFileSync(reports, 'utf8'), '{"verdict":"exact"}\n');
});

test('stray requests do not push out the token of an open page; altered, foreign and spent ' +
     'tokens are refused', async () => {
    const token = await pageToken(port);
    for (let i = 0; i < 100; ++i) {
        assert.equal((await request(port, {})).status, 200);
        const head = await request(port, {method: 'HEAD'});
        assert.deepEqual([head.status, head.body], [200, '']);
    }
    const other = await startServer(['--report', join(work, 'other-reports')]);
    const foreign = await pageToken(other.port);
    const flip = (text, at) => text.slice(0, at) + (text[at] === '0' ? '1' : '0') + text.slice(at + 1);
    await expectAll([
        ['another serial', {method: 'POST', target: '/report', headers: {...json,
         'X-Report-Token': flip(token, 11)}, body: '{}'}, 403],
        ['another time of issue', {method: 'POST', target: '/report', headers: {...json,
         'X-Report-Token': flip(token, 23)}, body: '{}'}, 403],
        ['another signature', {method: 'POST', target: '/report', headers: {...json,
         'X-Report-Token': flip(token, 55)}, body: '{}'}, 403],
        ['a token of another server', {method: 'POST', target: '/report', headers: {...json,
         'X-Report-Token': foreign}, body: '{}'}, 403],
        ['a token cut short', {method: 'POST', target: '/report', headers: {...json,
         'X-Report-Token': token.slice(0, 55)}, body: '{}'}, 403],
    ]);
    const before = readFileSync(reports, 'utf8');
    assert.equal((await report(port, token)).status, 204);
    const again = await report(port, token);
    assert.equal(again.status, 403);
    assert.match(again.body, /this report token has served its report/);
    assert.equal(readFileSync(reports, 'utf8'), `${before}{"verdict":"exact"}\n`);
    assert.equal((await report(other.port, foreign)).status, 204, 'the other server takes its own');
});

test('a report that cannot be written is an error; a report file that cannot be opened ends the ' +
     'server at its start', async () => {
    const full = await startServer(['--report', '/dev/full']);
    const token = await pageToken(full.port);
    const response = await report(full.port, token);
    assert.equal(response.status, 500);
    assert.match(response.body, /ENOSPC/);
    assert.equal((await request(full.port, {})).status, 200);

    const missing = await startServer(['--report', join(work, 'no-folder', 'reports')]);
    assert.equal(missing.status, 1);
    assert.match(missing.output(), /cannot open the report file/);
});

test('serve-page refuses a port that is no port before building anything', () => {
    for (const port of ['99999', '65536', '8000x']) {
        const result = spawnSync(join(scripts, 'serve-page'), ['--port', port], {encoding: 'utf8'});
        assert.equal(result.status, 2, port);
        assert.doesNotMatch(result.stderr, /built/, port);
    }
});
