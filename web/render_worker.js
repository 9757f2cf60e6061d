// Runs the renderer's module off the page's thread. Takes one message, {moduleUrl, flipRow}, and
// answers with a stream of messages: 'compiled', then 'stdout' and 'stderr' with each buffer the
// module writes, then 'exit' with its status, 'overflow' with the descriptor on which it wrote
// more than its limit, and the limit (the module is stopped there), or 'error' with a kind and a
// cause.
import {kHeaderSize, kImageSize, kRowBytes} from './image_check.js';
import {runCommand} from './wasi_host.js';

// The banner and a dot a row take about a thousand bytes; a module that writes this many on
// descriptor 2 is not the renderer.
const kMaxProgress = 64 * 1024;

self.onmessage = async ({data: {moduleUrl, flipRow}}) => {
    const module = await load(moduleUrl);
    if (module === null) return;
    self.postMessage({type: 'compiled'});

    // A deliberate fault for checking the page itself: one byte of row flipRow changes on its
    // way out of the module.
    const flipAt = flipRow === null ? -1 : kHeaderSize + flipRow * kRowBytes;
    let offset = 0;
    const onStdout = (bytes) => {
        if (flipAt >= offset && flipAt < offset + bytes.length) bytes[flipAt - offset] ^= 0xff;
        offset += bytes.length;
        self.postMessage({type: 'stdout', bytes}, [bytes.buffer]);
    };
    const onStderr = (bytes) => self.postMessage({type: 'stderr', bytes}, [bytes.buffer]);

    const start = performance.now();
    const result = runCommand(
        module, {onStdout, onStderr, maxStdout: kImageSize, maxStderr: kMaxProgress});
    const milliseconds = performance.now() - start;
    if (result.error) {
        self.postMessage({type: 'error', ...result.error});
    } else if (result.overflow) {
        const limit = result.overflow === 1 ? kImageSize : kMaxProgress;
        self.postMessage({type: 'overflow', descriptor: result.overflow, limit, milliseconds});
    } else {
        self.postMessage({type: 'exit', status: result.status, milliseconds});
    }
};

async function load(url) {
    let response;
    try {
        response = await fetch(url, {cache: 'no-store'});
    } catch (error) {
        return fail('load', `cannot fetch ${url}: ${error.message}`);
    }
    if (!response.ok) {
        return fail('load', `cannot fetch ${url}: HTTP ${response.status} ${response.statusText}`);
    }
    try {
        return await WebAssembly.compileStreaming(response);
    } catch (error) {
        return fail('validate', `cannot compile ${url}: ${error.message}`);
    }
}

function fail(kind, message) {
    self.postMessage({type: 'error', kind, message});
    return null;
}
