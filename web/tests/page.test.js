'use strict';

// The page's global API as the application drives it: snippets evaluated in
// the page, effects read back from Leaflet and the DOM. jsdom has no layout
// and no 2D canvas, so both are stubbed just enough for Leaflet.

const test = require('node:test');
const assert = require('node:assert/strict');
const fs = require('node:fs');
const path = require('node:path');
const { JSDOM, VirtualConsole } = require('jsdom');

const WEB = path.join(__dirname, '..');
const PAGE = path.join(WEB, 'gps2.html');

function noopContext() {
    const gradient = { addColorStop() {} };
    return new Proxy({}, {
        get(target, key) {
            if (key in target) { return target[key]; }
            return () => gradient;
        },
        set(target, key, value) { target[key] = value; return true; },
    });
}

// Layout stand-in: an element's size is its inline px size, else the window's.
function stubLayout(window) {
    const px = (value, fallback) => (/^\d+px$/.test(value) ? parseInt(value, 10) : fallback);
    for (const [prop, dim, fallback] of [['clientWidth', 'width', 800], ['clientHeight', 'height', 600],
        ['offsetWidth', 'width', 800], ['offsetHeight', 'height', 600]]) {
        Object.defineProperty(window.HTMLElement.prototype, prop, {
            configurable: true,
            get() { return px(this.style[dim], fallback); },
        });
    }
    window.HTMLCanvasElement.prototype.getContext = function () { return noopContext(); };
    // Leaflet's test for SVG support; without it paths get no renderer.
    window.SVGSVGElement.prototype.createSVGRect = function () { return {}; };
}

// Loads gps2.html with the scripts it lists, in order. `before` runs first,
// like the application injecting objects before the page's scripts.
function loadPage(before) {
    const errors = [];
    const virtualConsole = new VirtualConsole();
    virtualConsole.on('jsdomError', (e) => errors.push(e));
    virtualConsole.on('error', (e) => errors.push(e));
    const html = fs.readFileSync(PAGE, 'utf8');
    const dom = new JSDOM(html, { url: 'file://' + PAGE, runScripts: 'outside-only',
                                  pretendToBeVisual: true, virtualConsole });
    const w = dom.window;
    stubLayout(w);
    if (before) { before(w); }
    for (const script of w.document.querySelectorAll('script[src]')) {
        w.eval(fs.readFileSync(path.join(WEB, script.getAttribute('src')), 'utf8'));
    }
    const page = {
        window: w,
        errors,
        run: (code) => w.eval(code),
        state: () => JSON.parse(w.eval('mapState()')),
        close: () => w.close(),
    };
    return page;
}

async function waitFor(predicate, ms = 5000) {
    const end = Date.now() + ms;
    while (!predicate()) {
        if (Date.now() > end) { throw new Error('timed out'); }
        await new Promise((r) => setTimeout(r, 10));
    }
}

const tick = () => new Promise((r) => setTimeout(r, 0));

test('globals exist as soon as the scripts have run', (t) => {
    const page = loadPage();
    t.after(page.close);
    const r = page.run;
    for (const name of ['panBy', 'setZoom', 'getZoom', 'setMapTypeId', 'getMapTypeId', 'setCenter', 'getCenter']) {
        assert.equal(r(`typeof map.${name}`), 'function', name);
    }
    for (const name of ['updateCenter', 'track', 'addMark']) {
        assert.equal(r(`typeof ${name}`), 'function', name);
    }
    assert.equal(r('polyLine'), null);
    assert.equal(r('trafficLayer'), null);
    assert.equal(r('bikeLayer'), null);
    assert.equal(r('radius'), null);
    assert.equal(r('directionsService instanceof google.maps.DirectionsService'), true);
    assert.equal(r('directionsDisplay instanceof google.maps.DirectionsRenderer'), true);
    assert.equal(r('map instanceof google.maps.Map && !(map instanceof L.Map)'), true);
    assert.equal(r('window.pelmarkSeen'), false);
    assert.equal(r('window.shapesLoaded'), false);
    const s = page.state();
    assert.deepEqual([s.center, s.zoom, s.mapTypeId], [{ lat: 35.8185, lng: -78.8641 }, 3, 'roadmap']);
});

test('snippets the application sends evaluate to undefined or null', (t) => {
    // Anything else is converted to a QVariant, which is slow for big objects.
    const page = loadPage();
    t.after(page.close);
    const snippets = [
        'map.panBy(10, -5);', 'map.setZoom(4);', 'map.setMapTypeId(google.maps.MapTypeId.SATELLITE);',
        'map.setCenter(new google.maps.LatLng(10, 10));', 'updateCenter(true, 10, 10, 50);', 'track(10, 10);',
        'addMark(10, 10, "x");', 'trafficLayer = new google.maps.TrafficLayer(); trafficLayer.setMap(map);',
        'if (trafficLayer) { trafficLayer.setMap(null); trafficLayer=null; }', 'radius=null;',
        'polyLine.setMap(null); polyLine=null;',
        'directionsDisplay.setMap(map); directionsDisplay.setDirections(null); directionsDisplay.setRouteIndex(1);',
    ];
    for (const code of snippets) {
        const value = page.run(code);
        assert.ok(value === undefined || value === null, `${code} gave ${value}`);
    }
});

test('map stand-in', async (t) => {
    const page = loadPage();
    t.after(page.close);
    const r = page.run;

    await t.test('zoom is clamped to 0..18 and reads back as a number at once', () => {
        r('map.setZoom(7);');
        assert.equal(r('map.getZoom()'), 7);
        r('map.setZoom(25);');
        assert.equal(r('map.getZoom()'), 18);
        r('map.setZoom(-3);');
        assert.equal(r('map.getZoom()'), 0);
        r('map.setZoom("5"); map.setZoom("x");');
        assert.equal(r('map.getZoom()'), 5);
    });

    await t.test('panBy moves the centre by pixels', () => {
        r('map.setZoom(5); map.setCenter({lat: 0, lng: 0});');
        r('map.panBy(256, 0);');
        // 2^5 * 256 px span 360 degrees, so 256 px are 11.25 degrees.
        assert.ok(Math.abs(r('map.getCenter().lng()') - 11.25) < 1e-6);
        assert.ok(Math.abs(r('map.getCenter().lat()')) < 1e-6);
        r('map.panBy(0, 100);');
        assert.ok(r('map.getCenter().lat()') < 0);
    });

    await t.test('map types switch and unknown ids are ignored', () => {
        const canvas = page.window.document.getElementById('map_canvas');
        for (const type of ['hybrid', 'satellite', 'terrain', 'roadmap']) {
            r(`map.setMapTypeId("${type}");`);
            assert.equal(r('map.getMapTypeId()'), type);
            assert.ok(canvas.classList.contains('marlu-type-' + type));
            assert.equal([...canvas.classList].filter((c) => c.startsWith('marlu-type-')).length, 1);
        }
        r('map.setMapTypeId("moon");');
        assert.equal(r('map.getMapTypeId()'), 'roadmap');
    });
});

test('updateCenter', async (t) => {
    const page = loadPage();
    t.after(page.close);
    const r = page.run;

    await t.test('shows the position and centres only for the literal true', () => {
        r('map.setCenter({lat: 0, lng: 0});');
        for (const flag of ['"true"', '1', 'false', 'undefined']) {
            r(`updateCenter(${flag}, 48.5, 9.25, 0);`);
            assert.deepEqual(page.state().position, { lat: 48.5, lng: 9.25 });
            assert.deepEqual(page.state().center, { lat: 0, lng: 0 }, flag);
        }
        r('updateCenter(true, -33.5, 151.25, 0);');
        const s = page.state();
        assert.deepEqual(s.position, { lat: -33.5, lng: 151.25 });
        assert.ok(Math.abs(s.center.lat + 33.5) < 1e-6 && Math.abs(s.center.lng - 151.25) < 1e-6);
        assert.equal(page.window.document.querySelectorAll('#map_canvas .marlu-position').length, 1);
    });

    await t.test('draws an accuracy circle only for a positive accuracy', () => {
        r('updateCenter(false, 10, 20, 250);');
        assert.equal(page.state().accuracy, 250);
        assert.equal(r('radius.getRadius()'), 250);
        r('updateCenter(false, 11, 21, 80);');
        assert.equal(page.state().accuracy, 80);
        assert.deepEqual(JSON.parse(r('JSON.stringify(radius.getCenter())')), { lat: 11, lng: 21 });
        r('updateCenter(false, 11, 21, 0);');
        assert.equal(page.state().accuracy, null);
        assert.equal(r('radius'), null);
        r('updateCenter(false, 11, 21, 30);');
        r('updateCenter(false, 11, 21, -1);');
        assert.equal(page.state().accuracy, null);
    });

    await t.test('radius=null; removes the visible circle', () => {
        r('updateCenter(false, 10, 20, 500);');
        assert.equal(r('map._leaflet.hasLayer(radius._layer)'), true);
        r('var old = radius;');
        r('radius=null;');
        assert.equal(r('radius'), null);
        assert.equal(r('map._leaflet.hasLayer(old._layer)'), false);
        assert.equal(page.state().accuracy, null);
        r('updateCenter(false, 10, 20, 40);');
        assert.equal(page.state().accuracy, 40);
    });

    await t.test('ignores positions that are not numbers', () => {
        r('updateCenter(true, 1, 2, 0);');
        r('updateCenter(true, "abc", 2, 10); updateCenter(true, null, 2, 10); updateCenter(true);');
        assert.deepEqual(page.state().position, { lat: 1, lng: 2 });
    });
});

test('track and polyLine', (t) => {
    const page = loadPage();
    t.after(page.close);
    const r = page.run;
    r('track(1, 1); track(1.5, 2); track(2, 3);');
    assert.equal(r('polyLine.getPath().length'), 3);
    assert.deepEqual(page.state().trackLinesShown, [3]);
    assert.deepEqual(JSON.parse(r('JSON.stringify(polyLine.getPath()[2])')), { lat: 2, lng: 3 });
    r('polyLine.setMap(null); polyLine=null;');
    assert.deepEqual(page.state().trackLinesShown, []);
    r('track(5, 5);');
    assert.equal(r('polyLine.getPath().length'), 1);
    r('track(6, 6);');
    assert.deepEqual(page.state().trackLinesShown, [2]);
});

test('addMark shows its text literally', (t) => {
    const page = loadPage((w) => { w.alert = () => { w.alerted = true; }; });
    t.after(page.close);
    const texts = ['<img src=x onerror=alert(1)>', 'Fish & Chips <b>bold</b>', '  two  spaces ', '', 'Zoë ☕ 東京'];
    texts.forEach((text, i) => page.run(`addMark(${i}, ${i}, ${JSON.stringify(text)});`));
    const marks = page.state().marks;
    assert.deepEqual(marks.map((m) => m.text), texts);
    assert.deepEqual(marks.map((m) => [m.lat, m.lng]), texts.map((_, i) => [i, i]));
    const doc = page.window.document;
    assert.equal(doc.querySelectorAll('#map_canvas .marlu-mark img, #map_canvas .marlu-mark b').length, 0);
    assert.equal(page.window.alerted, undefined);
    page.run('addMark(1, 2);');
    assert.equal(page.state().marks.at(-1).text, '');

    page.run('updateCenter(true, 3, 4, 0);');
    assert.equal(page.run('clearMarks()'), undefined);
    assert.deepEqual(page.state().marks, []);
    assert.equal(doc.querySelectorAll('#map_canvas .marlu-mark').length, 0);
    assert.notEqual(page.state().position, null);
});

test('traffic and cycling layers', (t) => {
    const page = loadPage();
    t.after(page.close);
    const r = page.run;
    const on = (name, ctor) => r(`${name} = new google.maps.${ctor}(); ${name}.setMap(map);`);
    const off = (name) => r(`if (${name}) { ${name}.setMap(null); ${name}=null; }`);
    const tiles = (kind) => page.window.document.querySelectorAll(`#map_canvas .marlu-${kind} canvas`).length;

    off('trafficLayer');   // the guarded snippet works before anything is on
    on('trafficLayer', 'TrafficLayer');
    let s = page.state();
    assert.deepEqual(s.layers, { traffic: true, bicycling: false });
    assert.match(s.legend, /Traffic/);
    assert.doesNotMatch(s.legend, /Cycle/);
    assert.ok(tiles('traffic') > 0);

    on('bikeLayer', 'BicyclingLayer');
    s = page.state();
    assert.deepEqual(s.layers, { traffic: true, bicycling: true });
    assert.match(s.legend, /Traffic.*Cycle paths/);
    assert.ok(tiles('bicycling') > 0);

    off('trafficLayer');
    s = page.state();
    assert.deepEqual(s.layers, { traffic: false, bicycling: true });
    assert.equal(s.legend, 'Cycle paths');
    assert.equal(tiles('traffic'), 0);
    assert.equal(r('trafficLayer'), null);

    off('bikeLayer');
    s = page.state();
    assert.deepEqual(s.layers, { traffic: false, bicycling: false });
    assert.equal(s.legend, null);
});

test('directions stand-ins', async (t) => {
    const page = loadPage();
    t.after(page.close);
    const r = page.run;
    r(`window.routeCalls = [];
       directionsService.route({origin: new google.maps.LatLng(1, 2), destination: 'B',
                                travelMode: google.maps.DirectionsTravelMode.WALKING,
                                unitSystem: google.maps.UnitSystem.METRIC},
                               function (result, status) { routeCalls.push([result, status]); });`);
    assert.equal(r('routeCalls.length'), 0, 'the callback comes later, as for a real lookup');
    await waitFor(() => r('routeCalls.length') > 0);
    assert.deepEqual(JSON.parse(r('JSON.stringify(routeCalls)')), [[null, 'UNKNOWN_ERROR']]);
    r('directionsService.route({});');     // no callback: nothing to report to
});

test('map follows size changes of map_canvas', async (t) => {
    const page = loadPage();
    t.after(page.close);
    const size = () => page.run('map._leaflet.getSize().x + "x" + map._leaflet.getSize().y');
    assert.equal(size(), '800x600');
    page.run('document.getElementById("map_canvas").style["width"] = "480px";');
    page.run('document.getElementById("map_canvas").style["height"] = "480px";');
    await tick();
    assert.equal(size(), '480x480');
    page.run('document.getElementById("map_canvas").style.WebkitTransform = "rotate(90deg)";');
    assert.equal(page.state().canvas.transform, 'rotate(90deg)');
    page.run('document.getElementById("map_canvas").style["width"] = "100%";');
    await tick();
    assert.equal(size(), '800x480');
});

test('pelmark is recorded and its fix shown without centring or connecting', (t) => {
    const connects = [];
    const page = loadPage((w) => {
        w.pelmark = { latitude: 52.25, longitude: 4.5, horizontalAccuracy: 30,
                      updated: { connect: (f) => connects.push(f) } };
    });
    t.after(page.close);
    const s = page.state();
    assert.equal(s.pelmarkSeen, true);
    assert.deepEqual(s.position, { lat: 52.25, lng: 4.5 });
    assert.equal(s.accuracy, 30);
    assert.deepEqual(s.center, { lat: 35.8185, lng: -78.8641 });
    assert.equal(connects.length, 0);
});

test('country shapes load after the page and label the hybrid map', async (t) => {
    const page = loadPage();
    t.after(page.close);
    await waitFor(() => page.run('window.shapesLoaded || window.shapesError'), 15000);
    assert.equal(page.run('window.shapesError'), null);
    assert.equal(page.state().countryLabels, 0);
    page.run('map.setMapTypeId("hybrid");');
    const labels = page.state().countryLabels;
    assert.ok(labels > 20, String(labels));
    page.run('map.setZoom(6);');
    assert.ok(page.state().countryLabels !== labels);
    page.run('map.setMapTypeId("terrain");');
    assert.equal(page.state().countryLabels, 0);
    assert.deepEqual(page.errors.filter((e) => !/Not implemented/.test(String(e))), []);
});
