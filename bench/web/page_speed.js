// The browser build's speed in Debian's headless Chromium with software WebGL (SwiftShader), on a
// local web server: frames a second in attract mode and in a game the computer plays, with the
// picture at 640 x 480 (the page's view as large as the canvas); the time from navigation to the
// first picture; the page's memory (JavaScript heap and the wasm memory).
// Usage: node bench/web/page_speed.js NODE_MODULES WEB_DIR [RUNS]   (figures are medians)
'use strict';
const [modules, web, runsArg] = process.argv.slice(2);
const path = require('path');
const CDP = require(path.resolve(modules, 'chrome-remote-interface'));
const { sleep, serve, launch, firstPicture } = require('../../tests/web/chromium.js');
const median = (xs) => xs.slice().sort((a, b) => a - b)[Math.floor(xs.length / 2)];
const runs = +(runsArg || 3);

// One fresh Chromium, its view as large as the picture (640 x 480 under the window menu's bar).
async function session(fn) {
    const { client, close, evaluate } = await launch(CDP);
    try {
        await client.Page.enable();
        await client.Emulation.setDeviceMetricsOverride({ width: 640, height: 500, deviceScaleFactor: 1, mobile: false });
        return await fn(client, evaluate);
    } finally {
        await close();
    }
}

// Passes drawn a second: the trace's lines counted over ten seconds after a warm-up.
async function rate(client, evaluate, keys) {
    const lines = () => evaluate(`(function() { try { return new TextDecoder().decode(FS.readFile('/home/web_user/t.txt')).split('\\n').length; } catch (e) { return 0; } })()`);
    for (let i = 0; i < 300 && !(await evaluate('typeof Module !== "undefined" && Module.calledRun')); i++) await sleep(100);
    await sleep(3000);
    for (const [key, code, vk] of keys) {
        await client.Input.dispatchKeyEvent({ type: 'keyDown', key, code, windowsVirtualKeyCode: vk });
        await sleep(100);
        await client.Input.dispatchKeyEvent({ type: 'keyUp', key, code, windowsVirtualKeyCode: vk });
        await sleep(1000);
    }
    await sleep(3000);
    const a = await lines(), t = Date.now();
    await sleep(10000);
    const memory = await evaluate('[performance.memory.usedJSHeapSize, Module.HEAP8.length]');
    return { fps: ((await lines()) - a) * 1000 / (Date.now() - t), memory };
}

(async () => {
    const server = await serve(web), base = `http://127.0.0.1:${server.address().port}/index.html`;
    const first = [], attract = [], play = [], heap = [], wasm = [];
    for (let r = 0; r < runs; r++) {
        first.push(await session(async (client) => {
            const start = Date.now();
            await client.Page.navigate({ url: base + '?language=1' });
            return firstPicture(client.Page, start, 30);
        }));
        const a = await session(async (client, evaluate) => {
            await client.Page.navigate({ url: base + '?language=1&trace-game=/home/web_user/t.txt' });
            return rate(client, evaluate, []);
        });
        attract.push(a.fps);
        const p = await session(async (client, evaluate) => {
            await client.Page.navigate({ url: base + '?language=1&autopilot&trace-game=/home/web_user/t.txt' });
            return rate(client, evaluate, [['a', 'KeyA', 65], ['Enter', 'Enter', 13]]);
        });
        play.push(p.fps);
        heap.push(p.memory[0] / 1048576);
        wasm.push(p.memory[1] / 1048576);
    }
    server.close();
    console.log(`first picture ${median(first)} ms after navigation; attract ${median(attract).toFixed(1)} frames/s; ` +
        `play ${median(play).toFixed(1)} frames/s; memory: JavaScript heap ${median(heap).toFixed(1)} MB + wasm memory ` +
        `${median(wasm).toFixed(1)} MB (medians of ${runs} runs)`);
    process.exit(0);
})();
