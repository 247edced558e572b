'use strict';

// The map page in jsdom for the page's tests: gps2.html with the scripts it
// lists, a layout and canvas stand-in (jsdom has neither), and a scripted
// XMLHttpRequest in place of the map service.

const fs = require('node:fs');
const path = require('node:path');
const { JSDOM, VirtualConsole } = require('jsdom');

const WEB = path.join(__dirname, '..');
const PAGE = path.join(WEB, 'gps2.html');
const FIXTURES = process.env.MARLU_FIXTURES || path.join(__dirname, '../../../shared/fixtures');

function noopContext() {
    const gradient = { addColorStop() {} };
    return new Proxy({}, {
        get: (target, key) => (key in target ? target[key] : () => gradient),
        set: (target, key, value) => { target[key] = value; return true; },
    });
}

// An element's size is its inline px size, else the window's 800x600.
function stubLayout(window) {
    const px = (value, fallback) => (/^\d+px$/.test(value) ? parseInt(value, 10) : fallback);
    for (const [prop, dim, fallback] of [['clientWidth', 'width', 800], ['clientHeight', 'height', 600],
        ['offsetWidth', 'width', 800], ['offsetHeight', 'height', 600]]) {
        Object.defineProperty(window.HTMLElement.prototype, prop, {
            configurable: true,
            get() { return px(this.style[dim], fallback); },
        });
    }
    window.HTMLCanvasElement.prototype.getContext = noopContext;
    // Leaflet's test for SVG support; without it paths get no renderer.
    window.SVGSVGElement.prototype.createSVGRect = () => ({});
}

// The service's tile sources as it describes its offline sets.
const SOURCES = { sets: {
    roadmap: { url: '/tiles/roadmap/{z}/{x}/{y}.png', minzoom: 0, maxzoom: 18,
               attribution: '© OpenStreetMap contributors, GeoNames, Natural Earth' },
    satellite: { url: '/tiles/satellite/{z}/{x}/{y}.png', minzoom: 0, maxzoom: 3, attribution: 'NASA Blue Marble',
                 fallback: 'roadmap', note: 'No imagery at this zoom' },
    hybrid: { url: '/tiles/hybrid/{z}/{x}/{y}.png', minzoom: 0, maxzoom: 3, attribution: 'NASA Blue Marble, GeoNames',
              fallback: 'roadmap', note: 'No imagery at this zoom' },
    terrain: { url: null, attribution: '', fallback: 'roadmap', note: 'No terrain data' },
    traffic: { url: null, overlay: true, attribution: '', note: 'No traffic data' },
    bicycling: { url: '/tiles/bicycling/{z}/{x}/{y}.png', minzoom: 10, maxzoom: 18, overlay: true,
                 attribution: '© OpenStreetMap contributors' },
} };

// /tiles/sources.json gets `server.sources` ({status, body}; SOURCES by
// default). Directions requests get the replies queued in `server.replies`
// in turn ({status, body, xml} where xml also fills responseXML, {hang: true}
// or {throws: true} for a send() that fails at once). Other requests never
// answer. Timers of 30 s and more are not started but kept in
// `server.longTimers`, for the tests to fire.
function installServer(w) {
    const server = { replies: [], requests: [], longTimers: [],
                     sources: { status: 200, body: JSON.stringify(SOURCES) } };
    class FakeXhr {
        constructor() { this.readyState = 0; this.status = 0; this.responseText = ''; this.responseXML = null; }
        open(method, url, async) { Object.assign(this, { method, url, async, readyState: 1 }); }
        send() {
            if (this.url === '/tiles/sources.json') {
                w.setTimeout(() => this.respond(server.sources), 0);
                return;
            }
            if (!this.url.includes('/directions/')) { return; }
            server.requests.push(this);
            const reply = server.replies.shift() || { status: 404, body: '' };
            if (reply.throws) { throw new Error('network down'); }
            if (!reply.hang) { w.setTimeout(() => this.respond(reply), 0); }
        }
        respond({ status, body, xml }) {
            if (this.aborted) { return; }
            this.status = status;
            this.responseText = body;
            this.responseXML = xml ? new w.DOMParser().parseFromString(body, 'text/xml') : null;
            this.readyState = 4;
            if (this.onreadystatechange) { this.onreadystatechange(); }
        }
        abort() {
            this.aborted = true;
            this.readyState = 4;
            if (this.onreadystatechange) { this.onreadystatechange(); }
        }
    }
    w.XMLHttpRequest = FakeXhr;
    const realSetTimeout = w.setTimeout.bind(w);
    w.setTimeout = (fn, ms, ...args) => {
        if (ms >= 30000) { server.longTimers.push(fn); return -1; }
        return realSetTimeout(fn, ms, ...args);
    };
    return server;
}

// Loads the page. `before(window, server)` runs before the page's scripts,
// like the application injecting its objects. `storage` is the page's web
// storage to start with, as left by an earlier page.
function loadPage({ before, storage } = {}) {
    const errors = [], logs = [];
    const virtualConsole = new VirtualConsole();
    virtualConsole.on('log', (line) => logs.push(line));
    virtualConsole.on('jsdomError', (e) => errors.push(e));
    virtualConsole.on('error', (e) => errors.push(e));
    const dom = new JSDOM(fs.readFileSync(PAGE, 'utf8'), {
        url: 'http://localhost:8717/gps2.html',
        runScripts: 'outside-only', pretendToBeVisual: true, virtualConsole });
    const w = dom.window;
    stubLayout(w);
    const server = installServer(w);
    for (const [key, value] of Object.entries(storage || {})) { w.localStorage.setItem(key, value); }
    if (before) { before(w, server); }
    for (const script of w.document.querySelectorAll('script[src]')) {
        w.eval(fs.readFileSync(path.join(WEB, script.getAttribute('src')), 'utf8'));
    }
    return {
        window: w, server, errors, logs,
        run: (code) => w.eval(code),
        json: (code) => JSON.parse(w.eval(`JSON.stringify(${code})`)),
        state: () => JSON.parse(w.eval('mapState()')),
        close: () => w.close(),
    };
}

const tick = (ms = 0) => new Promise((r) => setTimeout(r, ms));

async function waitFor(predicate, ms = 5000) {
    const end = Date.now() + ms;
    while (!predicate()) {
        if (Date.now() > end) { throw new Error('timed out'); }
        await tick(5);
    }
}

const fixture = (name) => fs.readFileSync(path.join(FIXTURES, name), 'utf8');

module.exports = { loadPage, waitFor, tick, fixture, SOURCES };
