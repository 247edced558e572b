/*
 * Globals of the map page. The application drives the page by evaluating
 * short snippets against these names right after the load event, so all of
 * them exist synchronously; only the tiles arrive later.
 */

// Set by the application before our scripts run; the page also works without it.
window.pelmarkSeen = (typeof pelmark === 'object' && pelmark !== null);

var map = null;
var polyLine = null;
var trafficLayer = null;
var bikeLayer = null;
var directionsService = null;
var directionsDisplay = null;
var positionMarker = null;
var marks = [];

var updateCenter, track, addMark, clearMarks, reloadTileSources, regionOutlines, driveView;

// The page's entry: builds the map and the functions the application calls.
(function (root, factory) {
    if (typeof module === 'object' && module.exports) {
        module.exports = factory(root);
    } else {
        root.MarluPage = factory(root);
    }
}(this, function (root) {
    'use strict';

    var START_CENTER = { lat: 35.8185, lng: -78.8641 };
    var START_ZOOM = 3;

    var gm = google.maps;
    var canvas = document.getElementById('map_canvas');
    var accuracyCircle = null;

    map = new gm.Map(canvas, { center: START_CENTER, zoom: START_ZOOM, mapTypeId: gm.MapTypeId.ROADMAP });
    MarluLastView.restoreAndKeep(map);
    directionsService = new gm.DirectionsService();
    directionsDisplay = new gm.DirectionsRenderer({ map: map });

    // ---- size of map_canvas -------------------------------------------------

    // The application resizes and rotates map_canvas through its inline style;
    // Leaflet only notices window resizes, so watch the attribute as well and
    // re-check before every call in case a mutation is still undelivered.
    // The check reads the inline size and the window size first: measuring the
    // canvas forces a layout, which cost more than the rest of a fix.
    var lastSize = '', lastKey = '';
    function sizeKey() {
        return canvas.style.width + '|' + canvas.style.height + '|' + window.innerWidth + 'x' + window.innerHeight;
    }
    function syncSize() {
        var key = sizeKey();
        if (key === lastKey) { return; }
        lastKey = key;
        var size = canvas.offsetWidth + 'x' + canvas.offsetHeight;
        if (size !== lastSize) {
            lastSize = size;
            map.invalidateSize();
        }
    }
    lastKey = sizeKey();
    lastSize = canvas.offsetWidth + 'x' + canvas.offsetHeight;
    if (window.MutationObserver) {
        new MutationObserver(syncSize).observe(canvas, { attributes: true, attributeFilter: ['style'] });
    }
    window.addEventListener('resize', syncSize);

    // ---- accuracy circle: the `radius` global ---------------------------------

    // An accessor so that the application's "radius=null;" removes the circle
    // from the map at once instead of merely dropping our reference to it.
    Object.defineProperty(window, 'radius', {
        configurable: false,
        enumerable: true,
        get: function () { return accuracyCircle; },
        set: function (value) {
            if (value === accuracyCircle) { return; }
            if (value instanceof gm.Circle) {
                if (accuracyCircle) { accuracyCircle.setMap(null); }
                accuracyCircle = value;
                if (!value.getMap()) { value.setMap(map); }
            } else if (value === null || value === undefined || value === false) {
                if (accuracyCircle) { accuracyCircle.setMap(null); }
                accuracyCircle = null;
            }
        }
    });

    // ---- own position -------------------------------------------------------

    function positionIcon() {
        return L.divIcon({ className: 'marlu-position', iconSize: [18, 18], iconAnchor: [9, 9] });
    }

    // Shows the own position; draws an accuracy circle of `accuracy` metres
    // when it is positive; centres the map only when `center` is literally true.
    updateCenter = function (center, lat, lng, accuracy) {
        syncSize();
        var pos = new gm.LatLng(lat, lng);
        if (!isFinite(pos.lat()) || !isFinite(pos.lng()) || lat === null || lng === null) { return undefined; }
        if (positionMarker) {
            positionMarker.setPosition(pos);
            if (!positionMarker.getMap()) { positionMarker.setMap(map); }
        } else {
            positionMarker = new gm.Marker({ position: pos, map: map, icon: positionIcon(), zIndex: 1000 });
        }
        accuracy = Number(accuracy);
        if (accuracy > 0 && isFinite(accuracy)) {
            if (accuracyCircle) {
                accuracyCircle.setCenter(pos);
                accuracyCircle.setRadius(accuracy);
                if (!accuracyCircle.getMap()) { accuracyCircle.setMap(map); }
            } else {
                window.radius = new gm.Circle({ center: pos, radius: accuracy, map: map });
            }
        } else {
            window.radius = null;
        }
        lastCar = pos;
        following = center === true;
        if (following) {
            if (map.isDriving()) { map.followCar(pos); } else { map.setCenter(pos); }
        }
        return undefined;
    };

    // ---- following the car while guiding --------------------------------------

    // The application's: driveView(zoom, ahead, bearing) puts the car `ahead`
    // pixels below the centre, the way ahead (`bearing`) up on a map turned
    // to it; driveView(null) ends it. Applied at once when the map follows
    // the car, else from the next centring fix on.
    var lastCar = null, following = false;
    driveView = function (zoom, ahead, bearing) {
        syncSize();
        map.setDriveView(zoom, ahead, bearing);
        if (following && lastCar && map.isDriving()) { map.followCar(lastCar); }
        return undefined;
    };

    // ---- travelled track ----------------------------------------------------

    // Extends polyLine; after the application's "polyLine.setMap(null);
    // polyLine=null;" the next point starts a new line.
    track = function (lat, lng) {
        syncSize();
        var pos = new gm.LatLng(lat, lng);
        if (!isFinite(pos.lat()) || !isFinite(pos.lng()) || lat === null || lng === null) { return undefined; }
        if (polyLine instanceof gm.Polyline) {
            polyLine.extend(pos);
        } else {
            polyLine = new gm.Polyline({ path: [pos], map: map });
        }
        return undefined;
    };

    // ---- marks --------------------------------------------------------------

    // A pin with a permanent label. The text goes in as a text node: it is
    // user data and must never be parsed as HTML.
    addMark = function (lat, lng, text) {
        syncSize();
        var pos = new gm.LatLng(lat, lng);
        if (!isFinite(pos.lat()) || !isFinite(pos.lng()) || lat === null || lng === null) { return undefined; }
        var body = document.createElement('div'), pin = document.createElement('span'), label = document.createElement('span');
        body.className = 'marlu-mark-body';
        pin.className = 'marlu-mark-pin';
        label.className = 'marlu-mark-label';
        label.appendChild(document.createTextNode(text === undefined || text === null ? '' : String(text)));
        body.appendChild(pin);
        body.appendChild(label);
        var mark = new gm.Marker({
            position: pos, map: map, zIndex: 500,
            icon: L.divIcon({ className: 'marlu-mark', html: body, iconSize: [0, 0], iconAnchor: [0, 0] })
        });
        marks.push(mark);
        // A place the user just looked up is shown, not left off screen.
        map.setCenter(pos);
        arrangeLabels();
        return undefined;
    };

    // Every mark goes; the own position and a route stay.
    clearMarks = function () {
        marks.forEach(function (mark) { mark.setMap(null); });
        marks = [];
        return undefined;
    };

    // Labels of marks at one place or close by would print over each other.
    // Each label in turn, earliest first, keeps its place beside its pin if
    // that covers no label placed before it; else it goes just below or above
    // one of those, the nearest such place that covers none. Pans keep the
    // marks' distances in pixels, so only zooms and new marks arrange anew.
    var LABEL_LEFT = 12, LABEL_TOP = -30, LABEL_GAP = 2;   // as in gps2.css
    var labelsZoom = null;

    function arrangeLabels() {
        labelsZoom = map.getZoom();
        // All sizes are read before any label moves: one layout, not one per mark.
        var labels = marks.map(function (mark) {
            var el = mark.getElement(), label = el && el.querySelector('.marlu-mark-label');
            return label && { label: label, at: map.toContainerPoint(mark.getPosition()),
                              width: label.offsetWidth, height: label.offsetHeight };
        }).filter(Boolean);
        var placed = [];
        labels.forEach(function (item) {
            var x = Math.round(item.at.x) + LABEL_LEFT, y = Math.round(item.at.y), home = y + LABEL_TOP;
            var box = function (top) { return { left: x, right: x + item.width, top: top, bottom: top + item.height }; };
            var free = function (top) {
                var b = box(top);
                return !placed.some(function (p) { return b.left < p.right && p.left < b.right && b.top < p.bottom && p.top < b.bottom; });
            };
            // Below the lowest placed label is always free, so one is found.
            var tops = [home];
            placed.forEach(function (p) { tops.push(p.bottom + LABEL_GAP, p.top - LABEL_GAP - item.height); });
            var best = null;
            tops.forEach(function (top) {
                if ((best === null || Math.abs(top - home) < Math.abs(best - home)) && free(top)) { best = top; }
            });
            placed.push(box(best));
            item.label.style.top = best === home ? '' : (best - y) + 'px';
        });
    }
    map.addViewListener(function () {
        if (marks.length && map.getZoom() !== labelsZoom) { arrangeLabels(); }
    });

    // ---- last known fix from the application ----------------------------------

    // Only read once: connecting to pelmark.updated would survive page reloads.
    if (window.pelmarkSeen) {
        try {
            var lat = Number(pelmark.latitude), lng = Number(pelmark.longitude);
            var acc = Number(pelmark.horizontalAccuracy);
            if (isFinite(lat) && isFinite(lng) && !(lat === 0 && lng === 0)) {
                updateCenter(false, lat, lng, acc);
            }
        } catch (e) {
            // A half-initialised object must not break the page.
        }
    }

    // ---- tiles --------------------------------------------------------------

    var sourcesStatus = 'loading', generation = 0;
    function loadTileSources() {
        var asked = ++generation;
        MarluTileSources.load(function (sets, problem) {
            if (asked !== generation) { return; }   // a newer question is under way
            if (problem) { console.log('Map tile sources (' + MarluTileSources.URL + '): ' + problem); }
            sourcesStatus = problem || 'ok';
            map.setTileSources(sets, asked > 1 ? new Date().getTime() : undefined);
        });
    }
    loadTileSources();

    // The application's, after the service's regions or services changed:
    // asks the service again and redraws every tile, keeping view, marks and route.
    reloadTileSources = function () {
        loadTileSources();
        return undefined;
    };

    // The application's: the areas of the regions, as [west, south, east, north] boxes.
    regionOutlines = function (boxes) {
        map.setOutlines(boxes);
        return undefined;
    };

    return {
        syncSize: syncSize,
        canvas: canvas,
        // 'loading', 'ok', or what was wrong with the service's tile sources.
        tileSourcesStatus: function () { return sourcesStatus; }
    };
}));
