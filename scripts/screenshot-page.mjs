#!/usr/bin/env node
// Opens URL in headless Chromium, waits until the page has its verdict (exact, differs or error)
// and saves a PNG screenshot of it: the README's picture of the page, taken as
//   scripts/screenshot-page.mjs http://127.0.0.1:8000/ docs/page.png
// with scripts/serve-page running. It drives Chromium through the DevTools protocol on a pipe.
import {spawn} from 'node:child_process';
import {mkdtempSync, rmSync, writeFileSync} from 'node:fs';
import {tmpdir} from 'node:os';
import {join} from 'node:path';
import process from 'node:process';

const usage = 'usage: scripts/screenshot-page.mjs URL OUT.png [WIDTH HEIGHT]';
const [url, out, width = '1000', height = '1000'] = process.argv.slice(2);
if (!url || !out || !/^\d+$/.test(width) || !/^\d+$/.test(height)) {
    console.error(usage);
    process.exit(2);
}
const kDeadline = 600 * 1000;

const profile = mkdtempSync(join(tmpdir(), 'screenshot-page-'));
const chromium = spawn('chromium', [
    '--headless', '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
    '--disable-background-networking', '--disable-component-update', '--disable-sync',
    '--hide-scrollbars', `--user-data-dir=${profile}`, `--window-size=${width},${height}`,
    '--remote-debugging-pipe', url,
], {stdio: ['ignore', 'ignore', 'ignore', 'pipe', 'pipe']});

// Messages are JSON, each ended by a zero byte, written to descriptor 3 and read from 4.
let nextId = 1;
const waiting = new Map();
let pending = Buffer.alloc(0);
chromium.stdio[4].on('data', (chunk) => {
    pending = Buffer.concat([pending, chunk]);
    for (let end; (end = pending.indexOf(0)) >= 0; pending = pending.subarray(end + 1)) {
        const message = JSON.parse(pending.subarray(0, end).toString('utf8'));
        const answer = waiting.get(message.id);
        if (!answer) continue;
        waiting.delete(message.id);
        if (message.error) answer.reject(new Error(message.error.message));
        else answer.resolve(message.result);
    }
});
function send(method, params = {}, sessionId = undefined) {
    const id = nextId++;
    chromium.stdio[3].write(`${JSON.stringify({id, method, params, sessionId})}\0`);
    return new Promise((resolve, reject) => waiting.set(id, {resolve, reject}));
}
const sleep = (ms) => new Promise((resolve) => setTimeout(resolve, ms));

let status = 0;
try {
    const start = Date.now();
    let page;
    while (!page) {
        const {targetInfos} = await send('Target.getTargets');
        page = targetInfos.find((t) => t.type === 'page' && t.url.startsWith(url));
        if (!page) await sleep(200);
    }
    const {targetId} = page;
    const {sessionId} = await send('Target.attachToTarget', {targetId, flatten: true});
    const expression = `document.getElementById('verdict')?.className`;
    for (;;) {
        const {result} = await send('Runtime.evaluate', {expression}, sessionId);
        if (['exact', 'differs', 'error'].includes(result.value)) break;
        if (Date.now() - start > kDeadline) throw new Error('no verdict within 600 s');
        await sleep(500);
    }
    // The download links appear once the PNG of the canvas is made.
    await sleep(1000);
    // The whole page, not only the window.
    const {cssContentSize: size} = await send('Page.getLayoutMetrics', {}, sessionId);
    const clip = {x: 0, y: 0, width: size.width, height: size.height, scale: 1};
    const {data} = await send('Page.captureScreenshot',
                              {format: 'png', clip, captureBeyondViewport: true}, sessionId);
    writeFileSync(out, Buffer.from(data, 'base64'));
    console.log(`saved ${out}`);
} catch (error) {
    console.error(`screenshot-page: ${error.message}`);
    status = 1;
}
chromium.kill();
await new Promise((resolve) => chromium.on('exit', resolve));
rmSync(profile, {recursive: true, force: true});
process.exit(status);
