'use strict';

// Routes on the page: the directions lookup against a stubbed XMLHttpRequest
// answering with the web service's published replies, and the renderer.

const test = require('node:test');
const assert = require('node:assert/strict');
const { loadPage, waitFor, tick, fixture: read } = require('./harness.js');
const D = require('../js/directions.js');

const fixture = (name) => read('google/' + name);
const TORONTO = fixture('directions-ok-1route-17steps-google-toronto-montreal.xml');
const ZERO = fixture('directions-zero-results-google.xml');

// The fixture with a short second alternative (Google's documented example
// polyline: 38.5,-120.2 / 40.7,-120.95 / 43.252,-126.453).
const TWO_ROUTES = TORONTO.replace('<geocoded_waypoint>', `<route>
  <summary>Scenic</summary>
  <leg>
   <step>
    <travel_mode>DRIVING</travel_mode>
    <start_location><lat>38.5</lat><lng>-120.2</lng></start_location>
    <end_location><lat>43.252</lat><lng>-126.453</lng></end_location>
    <polyline><points>_p~iF~ps|U_ulLnnqC_mqNvxq\`@</points></polyline>
    <html_instructions>Go</html_instructions>
   </step>
  </leg>
 </route>
 <geocoded_waypoint>`);

// The snippet the application sends to ask for a route, as it sends it.
const APP_SNIPPET = 'var request = {travelMode: google.maps.DirectionsTravelMode.DRIVING,avoidHighways: true,' +
    'avoidTolls: true,provideRouteAlternatives: true,origin: "35.8185 -78.8641",destination: "Paris, France"};' +
    'directionsService.route(request,function(result, status) {if (status == google.maps.DirectionsStatus.OK) ' +
    '{directionsDisplay.setMap(map);directionsDisplay.setDirections(result);directionsDisplay.setRouteIndex(0);}});';

// Runs directionsService.route(request) and resolves with every callback
// made, once the first has come and some more time has passed.
async function route(page, request) {
    page.run(`window.calls = []; directionsService.route(${request}, function (result, status) {
        calls.push({ result: result, status: status }); });`);
    assert.equal(page.run('calls.length'), 0, 'the callback must not come before route() returns');
    await waitFor(() => page.run('calls.length') > 0);
    await tick(20);
    return page.json('calls');
}

const near = (a, b, eps = 1e-5) => Math.abs(a - b) <= eps;
const query = (xhr) => new URL(xhr.url, 'http://localhost:8717/gps2.html');

test('decoding encoded polylines', () => {
    assert.deepEqual(D.decodePolyline('_p~iF~ps|U_ulLnnqC_mqNvxq`@'), [[38.5, -120.2], [40.7, -120.95], [43.252, -126.453]]);
    assert.deepEqual(D.decodePolyline(''), []);
    assert.equal(D.decodePolyline('_p~iF~ps|U_ulLnnqC_mqNvxq'), null, 'cut off inside a number');
    assert.equal(D.decodePolyline('_p~iF'), null, 'latitude without longitude');
    assert.equal(D.decodePolyline('_p~iF~ps|U _ulL'), null, 'character outside the alphabet');
    assert.equal(D.decodePolyline('~~~~~~~~~~~~~~'), null, 'runaway number');
    assert.equal(D.decodePolyline(null), null);
});

test('the application snippet asks for a route and draws it', async (t) => {
    const page = loadPage();
    t.after(page.close);
    page.server.replies.push({ status: 200, body: TORONTO, xml: true });
    assert.equal(page.run(APP_SNIPPET), undefined);
    await waitFor(() => page.state().directions.shown);

    assert.equal(page.server.requests.length, 1);
    const xhr = page.server.requests[0];
    const url = query(xhr);
    assert.equal(xhr.method, 'GET');
    assert.equal(xhr.async, true);
    assert.equal(url.origin + url.pathname, 'http://localhost:8717/maps/api/directions/xml');
    assert.deepEqual([...url.searchParams], [['sensor', 'false'], ['origin', '35.8185 -78.8641'],
        ['destination', 'Paris, France'], ['mode', 'driving'], ['alternatives', 'true'], ['units', 'metric'],
        ['avoid', 'highways'], ['avoid', 'tolls']]);
    assert.match(xhr.url, /origin=35.8185%20-78.8641&destination=Paris%2C%20France/);

    const s = page.state().directions;
    assert.deepEqual([s.routeIndex, s.routeCount, s.summary], [0, 1, 'ON-401 E']);
    assert.ok(s.pathPoints > 100, String(s.pathPoints));
    assert.deepEqual(s.start, { lat: 43.6533961, lng: -79.3827986 });
    assert.deepEqual(s.end, { lat: 45.5017123, lng: -73.5672184 });
    // The view was fitted to the route.
    const view = page.json('map.getBounds()');
    for (const p of [s.start, s.end]) {
        assert.ok(p.lat > view.south && p.lat < view.north, JSON.stringify(view));
        assert.ok(p.lng > view.west && p.lng < view.east, JSON.stringify(view));
    }
    assert.ok(page.run('map.getZoom()') >= 5);
    assert.deepEqual(page.errors, []);
});

test('route request query', async (t) => {
    const page = loadPage();
    t.after(page.close);
    const sent = () => [...query(page.server.requests.at(-1)).searchParams];

    await t.test('LatLng and literal places, walking, imperial, no alternatives and nothing avoided', async () => {
        await route(page, `{origin: new google.maps.LatLng(48.8566, 2.3522), destination: {lat: -33.5, lng: 0.0000001},
            travelMode: google.maps.DirectionsTravelMode.WALKING, unitSystem: google.maps.UnitSystem.IMPERIAL}`);
        assert.deepEqual(sent(), [['sensor', 'false'], ['origin', '48.8566,2.3522'], ['destination', '-33.5,0.0000001'],
            ['mode', 'walking'], ['alternatives', 'false'], ['units', 'imperial']]);
    });

    await t.test('only avoid tolls; text is encoded', async () => {
        await route(page, '{origin: "Zoë & Co #1?", destination: "a=b", avoidTolls: true, avoidHighways: false}');
        assert.deepEqual(sent(), [['sensor', 'false'], ['origin', 'Zoë & Co #1?'], ['destination', 'a=b'],
            ['mode', 'driving'], ['alternatives', 'false'], ['units', 'metric'], ['avoid', 'tolls']]);
    });

    await t.test('requests that cannot be asked are refused without a lookup', async () => {
        const before = page.server.requests.length;
        for (const request of ['{destination: "B"}', '{origin: "A", destination: "  "}', 'null',
            '{origin: {lat: 95, lng: 0}, destination: "B"}', '{origin: "\\ud800", destination: "B"}']) {
            const calls = await route(page, request);
            assert.deepEqual(calls, [{ result: null, status: 'INVALID_REQUEST' }], request);
        }
        assert.equal(page.server.requests.length, before);
    });
});

test('reading the reply', async (t) => {
    const page = loadPage();
    t.after(page.close);

    await t.test('an OK reply becomes a route with its legs and steps', async () => {
        page.server.replies.push({ status: 200, body: TORONTO });      // read from the text
        const calls = await route(page, '{origin: "Toronto", destination: "Montreal"}');
        assert.equal(calls.length, 1);
        assert.equal(calls[0].status, 'OK');
        const r = page.json('calls[0].result');
        assert.equal(r.status, 'OK');
        assert.equal(r.routes.length, 1);
        const [routeOne] = r.routes;
        assert.equal(routeOne.summary, 'ON-401 E');
        assert.equal(routeOne.copyrights, 'Map data ©2022 Google');
        assert.deepEqual(routeOne.bounds, { south: 43.6533961, west: -79.3834913, north: 45.5017123, east: -73.5672184 });
        const leg = routeOne.legs[0];
        assert.deepEqual([leg.start_address, leg.end_address], ['Toronto, ON, Canada', 'Montreal, QC, Canada']);
        assert.deepEqual([leg.distance, leg.duration], [{ value: 540543, text: '541 km' }, { value: 20391, text: '5 hours 40 mins' }]);
        assert.equal(leg.steps.length, 17);
        const first = leg.steps[0];
        assert.equal(first.instructions, 'Head <b>north</b> on <b>Bay St.</b> toward <b>Hagerman St</b>');
        assert.deepEqual([first.distance, first.duration, first.travel_mode], [{ value: 270, text: '0.3 km' }, { value: 47, text: '1 min' }, 'DRIVING']);
        assert.equal(leg.steps[1].maneuver, 'turn-right');
        assert.match(leg.steps[15].instructions, /René-Lévesque O.*<wbr\/><b>Montréal<\/b>/);
        // Every decoded step line starts and ends where the reply says.
        leg.steps.forEach((step, i) => {
            const a = step.path[0], b = step.path.at(-1);
            assert.ok(step.path.length >= 2, `step ${i}`);
            assert.ok(near(a.lat, step.start_location.lat) && near(a.lng, step.start_location.lng), `step ${i} start`);
            assert.ok(near(b.lat, step.end_location.lat) && near(b.lng, step.end_location.lng), `step ${i} end`);
        });
        const overview = routeOne.overview_path;
        assert.ok(overview.length > 10);
        assert.ok(near(overview[0].lat, 43.6533961) && near(overview[0].lng, -79.3827986));
        assert.ok(near(overview.at(-1).lat, 45.5017123) && near(overview.at(-1).lng, -73.5672184));
        assert.equal(page.run('calls[0].result.routes[0].legs[0].steps[0].path[0] instanceof google.maps.LatLng'), true);
        assert.equal(page.run('calls[0].result.routes[0].bounds instanceof google.maps.LatLngBounds'), true);
    });

    await t.test('other status words are passed on', async () => {
        page.server.replies.push({ status: 200, body: ZERO, xml: true });
        assert.deepEqual(await route(page, '{origin: "A", destination: "B"}'),
            [{ result: { routes: [], status: 'ZERO_RESULTS' }, status: 'ZERO_RESULTS' }]);
        page.server.replies.push({ status: 200, body: '<DirectionsResponse><status>NOT_FOUND</status></DirectionsResponse>' });
        assert.equal((await route(page, '{origin: "A", destination: "B"}'))[0].status, 'NOT_FOUND');
    });

    await t.test('replies that cannot be read are an UNKNOWN_ERROR', async () => {
        const broken = {
            'cut-off XML': TORONTO.slice(0, 5000),
            'empty body': '',
            'HTML page': '<html><body>Bad gateway</body></html>',
            'two status words': ZERO.replace('<status>', '<status>OK</status><status>'),
            'no status': ZERO.replace(/<status>.*<\/status>/, ''),
            'garbage status': ZERO.replace('ZERO_RESULTS', 'zero results <b>'),
        };
        for (const [name, body] of Object.entries(broken)) {
            page.server.replies.push({ status: 200, body, xml: true });
            assert.deepEqual(await route(page, '{origin: "A", destination: "B"}'), [{ result: null, status: 'UNKNOWN_ERROR' }], name);
        }
        page.server.replies.push({ throws: true });
        assert.deepEqual(await route(page, '{origin: "A", destination: "B"}'), [{ result: null, status: 'UNKNOWN_ERROR' }], 'send() throws');
        for (const status of [500, 404, 0]) {
            page.server.replies.push({ status, body: status ? TORONTO : '' });
            assert.deepEqual(await route(page, '{origin: "A", destination: "B"}'), [{ result: null, status: 'UNKNOWN_ERROR' }], `HTTP ${status}`);
        }
    });

    await t.test('no answer within 30 s is an UNKNOWN_ERROR, and a late reply is ignored', async () => {
        page.server.longTimers.length = 0;
        page.server.replies.push({ hang: true });
        page.run('window.calls = []; directionsService.route({origin: "A", destination: "B"}, function (r, s) { calls.push(s); });');
        const xhr = page.server.requests.at(-1);
        assert.equal(page.server.longTimers.length, 1);
        page.server.longTimers[0]();
        assert.equal(xhr.aborted, true);
        xhr.aborted = false;
        xhr.respond({ status: 200, body: TORONTO });
        await tick(20);
        assert.deepEqual(page.json('calls'), ['UNKNOWN_ERROR']);
    });

    await t.test('a callback that throws is still called only once', async () => {
        page.server.replies.push({ status: 200, body: TORONTO });
        page.run('window.calls = []; directionsService.route({origin: "A", destination: "B"}, function (r, s) { calls.push(s); throw new Error("x"); });');
        await waitFor(() => page.run('calls.length') > 0);
        await tick(20);
        assert.deepEqual(page.json('calls'), ['OK']);
    });
});

test('directions renderer', async (t) => {
    const page = loadPage();
    t.after(page.close);
    const r = page.run;
    const routeLines = () => page.json('map.getDrawnLines()').length;
    const markers = () => [...page.window.document.querySelectorAll('#map_canvas .marlu-route-marker')].map((m) => m.textContent);
    page.server.replies.push({ status: 200, body: TWO_ROUTES, xml: true });
    await route(page, '{origin: "Toronto", destination: "Montreal", provideRouteAlternatives: true}');
    r('window.result = calls[0].result;');

    await t.test('draws the chosen alternative only', () => {
        r('directionsDisplay.setMap(map); directionsDisplay.setDirections(result); directionsDisplay.setRouteIndex(0);');
        const first = page.state().directions;
        assert.deepEqual([first.shown, first.routeCount, first.summary], [true, 2, 'ON-401 E']);
        r('map.setZoom(2);');
        assert.equal(r('directionsDisplay.setRouteIndex(1);'), undefined);
        const s = page.state().directions;
        assert.deepEqual([s.routeIndex, s.pathPoints, s.summary], [1, 3, 'Scenic']);
        assert.deepEqual([s.start, s.end], [{ lat: 38.5, lng: -120.2 }, { lat: 43.252, lng: -126.453 }]);
        assert.equal(r('map.getZoom()'), 2, 'switching alternatives keeps the view');
        // Redrawing replaces the drawing.
        for (const i of [0, 1, 1, 0, 1]) { r(`directionsDisplay.setRouteIndex(${i});`); }
        r('directionsDisplay.setDirections(result); directionsDisplay.setRouteIndex(1);');
        assert.equal(routeLines(), 1);
        assert.deepEqual(markers(), ['A', 'B']);
    });

    await t.test('an index without a route draws nothing; a non-index is ignored', () => {
        r('directionsDisplay.setRouteIndex(2);');
        let s = page.state().directions;
        assert.deepEqual([s.routeIndex, s.pathPoints, s.start, s.end, s.summary], [2, 0, null, null, null]);
        assert.deepEqual(markers(), []);
        r('directionsDisplay.setRouteIndex(-1); directionsDisplay.setRouteIndex("x"); directionsDisplay.setRouteIndex(0.5);');
        assert.equal(page.state().directions.routeIndex, -1);
        assert.equal(routeLines(), 0);
        r('directionsDisplay.setRouteIndex(1);');
        assert.equal(page.state().directions.pathPoints, 3);
    });

    await t.test('setMap(null) takes the route off the map and setMap(map) brings it back', () => {
        r('map.setZoom(4); map.setCenter({lat: 0, lng: 0});');
        r('directionsDisplay.setMap(null);');
        const s = page.state().directions;
        assert.deepEqual([s.shown, s.pathPoints, s.start, s.end], [false, 0, null, null]);
        assert.equal(routeLines(), 0);
        assert.deepEqual(markers(), []);
        r('directionsDisplay.setMap(map);');
        assert.equal(page.state().directions.pathPoints, 3);
        assert.deepEqual([r('map.getZoom()'), page.state().center], [4, { lat: 0, lng: 0 }], 'no second fit');
    });

    await t.test('the travelled track is separate from the route', () => {
        r('if ( polyLine ) polyLine.setMap(null); polyLine=null;');
        r('track(10, 10); track(11, 11);');
        assert.deepEqual(page.state().trackLinesShown, [2]);
        r('if ( polyLine ) polyLine.setMap(null); polyLine=null;');
        const s = page.state();
        assert.deepEqual([s.trackLinesShown, s.trackPoints, s.directions.pathPoints], [[], 0, 3]);
    });

    await t.test('a result set while off the map is fitted when shown', () => {
        r('directionsDisplay.setMap(null); map.setZoom(1); directionsDisplay.setDirections(result); directionsDisplay.setMap(map);');
        assert.ok(r('map.getZoom()') >= 5);
        assert.equal(page.state().directions.summary, 'ON-401 E');
    });

    await t.test('following the car: it sits low, the way ahead up, and a new route keeps that view', () => {
        const car = () => {
            const p = page.json('map.toContainerPoint(positionMarker.getPosition())'), size = page.json('map.getSize()');
            return [Math.round(p.x - size.x / 2), Math.round(p.y - size.y / 2)];
        };
        r('updateCenter(true, 43.7, 7.4, 0);');
        r('driveView(16, 120, 0);');     // applied at once to a map that follows
        assert.deepEqual([r('map.getZoom()'), ...car()], [16, 0, 120]);
        r('driveView(15, 120, 90);');    // heading east: the car left of the centre
        r('updateCenter(true, 43.701, 7.401, 0);');
        assert.deepEqual([r('map.getZoom()'), ...car()], [15, -120, 0]);
        r('directionsDisplay.setDirections(result); directionsDisplay.setRouteIndex(0);');
        assert.deepEqual([r('map.getZoom()'), ...car()], [15, -120, 0], 'a reroute drawn keeps the drive view');
        r('updateCenter(false, 43.702, 7.402, 0);');
        assert.equal(car()[1], page.json('map.toContainerPoint({lat: 43.702, lng: 7.402})').y - page.json('map.getSize()').y / 2);
        r('driveView(null);');
        r('directionsDisplay.setDirections(result);');
        assert.notEqual(r('map.getZoom()'), 15, 'without the drive view a new route is shown whole');
    });
});
