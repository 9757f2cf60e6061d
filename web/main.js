// The page: picks the module, runs it in a worker, draws each row as it arrives and reports
// whether the whole image is the exact one.
//
// Query parameters: module=simd|baseline|PATH.wasm picks the module instead of the SIMD check
// (a path on this server); flip=ROW changes one byte of that row on its way out of the module,
// to see a difference reported; stall=SECONDS gives up on a module that writes nothing for that
// long (60 s unless given); report=1 posts the result as JSON to /report when the run ends, with
// the report token the server put in the page.
import {browserName} from './browser_name.js';
import {kHeaderSize, kImageSize, kRowBytes, kRowCount, loadImageCheck} from './image_check.js';
import {hasWasmSimd} from './simd_support.js';

const kModules = new Map([['simd', 'raymarch-simd.wasm'], ['baseline', 'raymarch.wasm']]);
const kStallSeconds = 60;
const kProgress = 'Starting raymarching process\n' + '.'.repeat(kRowCount);

const params = new URLSearchParams(location.search);
const element = (id) => document.getElementById(id);

const run = {
    image: new Uint8Array(kImageSize),
    length: 0,
    rowsDrawn: 0,
    progress: '',
    started: 0,
    timer: 0,
    finished: false,
    worker: null,
    stallSeconds: kStallSeconds,
    lastProgress: 0,
    watchdog: 0,
    compiled: false,
    report: {},
};

main();

async function main() {
    const simdSupported = hasWasmSimd();
    const choice = params.get('module') || (simdSupported ? 'simd' : 'baseline');
    const moduleUrl = kModules.get(choice) ?? choice;
    const flipText = params.get('flip');
    const flipRow = flipText === null ? null : Number(flipText);
    const stallText = params.get('stall');
    const browser = await browserName();

    run.report = {browser, module: choice, simdSupported, flipRow};
    element('browser').textContent = browser;
    if (!kModules.has(choice) && !isModulePath(choice)) {
        element('module').textContent = choice;
        return finishWithError('page', `unknown module "${choice}": simd, baseline or the path ` +
                                       'of a .wasm file on this server');
    }
    if (flipRow !== null && !(/^\d+$/.test(flipText) && flipRow < kRowCount)) {
        element('module').textContent = moduleLabel(choice, moduleUrl, simdSupported, null);
        return finishWithError('page', `flip=${flipText} is not a row from 0 to ${kRowCount - 1}`);
    }
    if (stallText !== null) {
        if (!/^\d{1,4}$/.test(stallText) || Number(stallText) === 0) {
            element('module').textContent = moduleLabel(choice, moduleUrl, simdSupported, flipRow);
            return finishWithError('page', `stall=${stallText} is not a number of seconds from ` +
                                           '1 to 9999');
        }
        run.stallSeconds = Number(stallText);
    }
    element('module').textContent = moduleLabel(choice, moduleUrl, simdSupported, flipRow);

    const check = fetch('image_check.wasm', {cache: 'no-store'})
                      .then((response) => (response.ok ? loadImageCheck(response) : null))
                      .catch(() => null);

    const worker = new Worker('render_worker.js', {type: 'module'});
    run.worker = worker;
    worker.onerror = (event) => {
        event.preventDefault();
        const cause = event.message || 'it could not be loaded';
        finishWithError('worker', `the worker failed: ${cause}`);
    };
    worker.onmessage = ({data}) => {
        if (run.finished) return;
        run.lastProgress = performance.now();
        if (data.type === 'compiled') {
            run.compiled = true;
            setVerdict('running', 'Rendering…');
            run.started = performance.now();
            run.timer = setInterval(showTime, 100);
        } else if (data.type === 'stdout') {
            append(data.bytes);
        } else if (data.type === 'stderr') {
            run.progress += new TextDecoder().decode(data.bytes);
        } else if (data.type === 'exit') {
            finish(data.status, data.milliseconds, check);
        } else if (data.type === 'overflow') {
            finishOverflow(data.descriptor, data.limit, data.milliseconds);
        } else if (data.type === 'error') {
            finishWithError(data.kind, data.message);
        }
    };
    run.lastProgress = performance.now();
    run.watchdog = setInterval(checkProgress, 250);
    worker.postMessage({moduleUrl, flipRow});
}

// A relative path, or one on this server, to a .wasm file: never another site's module.
function isModulePath(choice) {
    try {
        const url = new URL(choice, location.href);
        return url.origin === location.origin && url.pathname.endsWith('.wasm');
    } catch {
        return false;
    }
}

// A module that neither writes nor exits for run.stallSeconds is stopped.
function checkProgress() {
    if (run.finished || performance.now() - run.lastProgress < 1000 * run.stallSeconds) return;
    const what = run.compiled ? 'the module wrote nothing and did not exit'
                              : 'the module was not fetched and compiled';
    finishWithError('stall', `${what} for ${run.stallSeconds} s; it was stopped`);
}

function moduleLabel(choice, moduleUrl, simdSupported, flipRow) {
    const flipped = flipRow === null ? '' : `, with one byte of row ${flipRow} flipped`;
    if (choice === 'simd') return `SIMD (raymarch-simd.wasm)${flipped}`;
    if (choice === 'baseline') {
        const why = simdSupported ? '' : ': this browser has no WebAssembly SIMD';
        return `baseline, no SIMD (raymarch.wasm)${why}${flipped}`;
    }
    return `${moduleUrl}${flipped}`;
}

// The worker stops a module at the first byte beyond an image, so the image's buffer holds them.
function append(bytes) {
    run.image.set(bytes, run.length);
    run.length += bytes.length;
    const rows = Math.floor(Math.max(0, run.length - kHeaderSize) / kRowBytes);
    const complete = Math.min(kRowCount, rows);
    while (run.rowsDrawn < complete) drawRow(run.rowsDrawn++);
    element('rows').textContent = `${run.rowsDrawn} / ${kRowCount}`;
}

// The file's rows run bottom-up, the canvas's top-down; pixels are blue, green, red.
function drawRow(row) {
    const context = element('image').getContext('2d');
    const line = context.createImageData(kRowBytes / 3, 1);
    const start = kHeaderSize + row * kRowBytes;
    for (let x = 0; x < kRowBytes / 3; ++x) {
        line.data[4 * x] = run.image[start + 3 * x + 2];
        line.data[4 * x + 1] = run.image[start + 3 * x + 1];
        line.data[4 * x + 2] = run.image[start + 3 * x];
        line.data[4 * x + 3] = 255;
    }
    context.putImageData(line, 0, kRowCount - 1 - row);
}

function showTime(seconds = (performance.now() - run.started) / 1000) {
    element('time').textContent = `${seconds.toFixed(1)} s`;
}

async function finish(status, milliseconds, check) {
    stopClock();
    showTime(milliseconds / 1000);
    run.report.status = status;
    run.report.renderSeconds = Number((milliseconds / 1000).toFixed(3));
    if (status !== 0) {
        const message = run.progress.replace(/^Starting raymarching process\n\.*/, '').trim();
        const said = message ? `; its message: ${message}` : '';
        return finishWithError('status', `the module exited with status ${status}${said}`);
    }
    const compareImage = await check;
    if (compareImage === null) {
        return finishWithError('check', 'cannot load the image check, image_check.wasm');
    }
    const image = run.image.subarray(0, run.length);
    const result = compareImage(image);
    const progressExact = run.progress === kProgress;
    Object.assign(run.report, result, {progressExact});

    const progress = progressExact ? 'exact' : 'differs';
    const seconds = (milliseconds / 1000).toFixed(1);
    if (result.exact) {
        run.report.verdict = 'exact';
        setVerdict('exact', `Exact: byte for byte the exact image, in ${seconds} s`);
    } else {
        run.report.verdict = 'differs';
        const count = result.differingRows;
        const rows = count === 1 ? '1 differing row' : `${count} differing rows`;
        const first = result.firstDifferingRow === null
            ? 'every row matches'
            : `first differing row ${result.firstDifferingRow} (from the bottom), ${rows}`;
        const header = result.headerMatches ? '' : '; the header differs';
        setVerdict('differs', `Differs from the exact image: ${first}${header}`);
    }
    element('detail').textContent =
        `SHA-256 ${result.sha256}, ${result.size} bytes; progress stream ${progress}`;
    offerDownloads(image);
    sendReport();
}

// A module stopped for writing more than `limit` bytes to `descriptor`.
function finishOverflow(descriptor, limit, milliseconds) {
    const bytes = `more than ${limit.toLocaleString('en-US')} bytes`;
    if (descriptor !== 1) {
        return finishWithError('progress', `the module wrote ${bytes} to descriptor ${descriptor}`);
    }
    stopClock();
    showTime(milliseconds / 1000);
    Object.assign(run.report, {verdict: 'differs', differs: bytes, size: null,
                               renderSeconds: Number((milliseconds / 1000).toFixed(3))});
    setVerdict('differs', `Differs from the exact image: ${bytes}`);
    element('detail').textContent = 'The module was stopped at the first byte beyond the image.';
    sendReport();
}

function finishWithError(kind, message) {
    stopClock();
    Object.assign(run.report, {verdict: 'error', errorKind: kind, error: message});
    setVerdict('error', `Error (${kind}): ${message}`);
    sendReport();
}

// Ends the run: the worker, with the module if it still runs, and the clocks.
function stopClock() {
    run.finished = true;
    run.worker?.terminate();
    clearInterval(run.timer);
    clearInterval(run.watchdog);
}

function setVerdict(kind, text) {
    element('verdict').className = kind;
    element('verdict').textContent = text;
}

function offerDownloads(image) {
    element('download-tga').href = URL.createObjectURL(new Blob([image], {type: 'image/x-tga'}));
    element('image').toBlob((png) => {
        element('download-png').href = URL.createObjectURL(png);
        element('downloads').hidden = false;
    }, 'image/png');
}

function sendReport() {
    const token = document.querySelector('meta[name="report-token"]')?.content;
    if (params.get('report') !== '1' || !token) return;
    fetch('report', {
        method: 'POST',
        headers: {'Content-Type': 'application/json', 'X-Report-Token': token},
        body: JSON.stringify(run.report),
    }).catch(() => {});
}
