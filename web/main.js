// The page: picks the module, runs it in a worker, draws each row as it arrives and reports
// whether the whole image is the exact one.
//
// Query parameters: module=simd|baseline|PATH.wasm picks the module instead of the SIMD check;
// flip=ROW changes one byte of that row on its way out of the module, to see a difference
// reported; report=1 posts the result as JSON to /report when the run ends.
import {browserName} from './browser_name.js';
import {compareImage, kHeaderSize, kImageSize, kRowBytes, kRowCount, parseGoldenRows}
    from './image_check.js';
import {hasWasmSimd} from './simd_support.js';

const kModules = {simd: 'raymarch-simd.wasm', baseline: 'raymarch.wasm'};
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
    report: {},
};

main();

async function main() {
    const simdSupported = hasWasmSimd();
    const choice = params.get('module') || (simdSupported ? 'simd' : 'baseline');
    const moduleUrl = kModules[choice] || choice;
    const flipText = params.get('flip');
    const flipRow = flipText === null ? null : Number(flipText);
    const browser = await browserName();

    run.report = {browser, module: choice, simdSupported, flipRow};
    element('browser').textContent = browser;
    if (flipRow !== null && !(/^\d+$/.test(flipText) && flipRow < kRowCount)) {
        element('module').textContent = moduleLabel(choice, moduleUrl, simdSupported, null);
        return finishWithError('page', `flip=${flipText} is not a row from 0 to ${kRowCount - 1}`);
    }
    element('module').textContent = moduleLabel(choice, moduleUrl, simdSupported, flipRow);

    const golden = fetch('golden-rows.txt', {cache: 'no-store'})
                       .then((response) => (response.ok ? response.text() : ''))
                       .then(parseGoldenRows, () => null);

    const worker = new Worker('render_worker.js', {type: 'module'});
    worker.onerror = (event) => {
        event.preventDefault();
        const cause = event.message || 'it could not be loaded';
        finishWithError('worker', `the worker failed: ${cause}`);
    };
    worker.onmessage = ({data}) => {
        if (run.finished) return;
        if (data.type === 'compiled') {
            setVerdict('running', 'Rendering…');
            run.started = performance.now();
            run.timer = setInterval(showTime, 100);
        } else if (data.type === 'stdout') {
            append(data.bytes);
        } else if (data.type === 'stderr') {
            run.progress += new TextDecoder().decode(data.bytes);
        } else if (data.type === 'exit') {
            worker.terminate();
            finish(data.status, data.milliseconds, golden);
        } else if (data.type === 'error') {
            worker.terminate();
            finishWithError(data.kind, data.message);
        }
    };
    worker.postMessage({moduleUrl, flipRow});
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

function append(bytes) {
    if (run.length + bytes.length > run.image.length) {
        const larger = new Uint8Array(Math.max(2 * run.image.length, run.length + bytes.length));
        larger.set(run.image.subarray(0, run.length));
        run.image = larger;
    }
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

async function finish(status, milliseconds, golden) {
    stopClock();
    showTime(milliseconds / 1000);
    run.report.status = status;
    run.report.renderSeconds = Number((milliseconds / 1000).toFixed(3));
    if (status !== 0) {
        const message = run.progress.replace(/^Starting raymarching process\n\.*/, '').trim();
        const said = message ? `; its message: ${message}` : '';
        return finishWithError('status', `the module exited with status ${status}${said}`);
    }
    const exact = await golden;
    if (exact === null) {
        return finishWithError('golden', 'cannot read the exact hashes from golden-rows.txt');
    }
    const image = run.image.subarray(0, run.length);
    const result = await compareImage(image, exact);
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

function finishWithError(kind, message) {
    stopClock();
    Object.assign(run.report, {verdict: 'error', errorKind: kind, error: message});
    setVerdict('error', `Error (${kind}): ${message}`);
    sendReport();
}

function stopClock() {
    run.finished = true;
    clearInterval(run.timer);
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
    if (params.get('report') !== '1') return;
    fetch('report', {
        method: 'POST',
        headers: {'Content-Type': 'application/json'},
        body: JSON.stringify(run.report),
    }).catch(() => {});
}
