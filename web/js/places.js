/*
 * What the user keeps: the favourite places' marks and the shapes of an
 * opened GPX file. Both are apart from the search marks, so "Clear Marks"
 * leaves them, and both take names as text, never as markup.
 */
var showFavourites, showGpx, clearGpx, latLngAt, placesState;

(function (root) {
    'use strict';

    var gm = root.google.maps;
    var favouriteMarks = [], gpxLayers = [], gpxCounts = { lines: 0, points: 0 };
    // Far more than a screen can show; a bigger list is cut, not drawn slowly.
    var MAX_MARKS = 2000;

    function isNumber(v) { return typeof v === 'number' && isFinite(v); }
    function validPoint(p) { return p && isNumber(p.lat) && isNumber(p.lng) && Math.abs(p.lat) <= 90 && Math.abs(p.lng) <= 180; }

    function labelledIcon(kind, text) {
        var body = document.createElement('div'), pin = document.createElement('span'), label = document.createElement('span');
        body.className = 'marlu-mark-body';
        pin.className = 'marlu-mark-pin marlu-' + kind + '-pin';
        label.className = 'marlu-mark-label';
        label.appendChild(document.createTextNode(text === undefined || text === null ? '' : String(text)));
        body.appendChild(pin);
        body.appendChild(label);
        return L.divIcon({ className: 'marlu-mark', html: body, iconSize: [0, 0], iconAnchor: [0, 0] });
    }

    // list: [{lat, lng, name}], replacing the marks shown before.
    showFavourites = function (list) {
        favouriteMarks.forEach(function (mark) { mark.setMap(null); });
        favouriteMarks = [];
        (Array.isArray(list) ? list : []).filter(validPoint).slice(0, MAX_MARKS).forEach(function (p) {
            favouriteMarks.push(new gm.Marker({ position: new gm.LatLng(p.lat, p.lng), map: map, zIndex: 400,
                                                icon: labelledIcon('favourite', p.name) }));
        });
        return undefined;
    };

    // shape: {lines: [[[lat, lng], ...], ...], points: [{lat, lng, name}]};
    // shown in place of the file shown before, and the view fitted to it.
    showGpx = function (shape) {
        clearGpx();
        var lmap = map._leaflet, bounds = L.latLngBounds([]);
        shape = shape || {};
        (Array.isArray(shape.lines) ? shape.lines : []).forEach(function (line) {
            if (!Array.isArray(line)) { return; }
            var points = line.filter(function (p) {
                return Array.isArray(p) && validPoint({ lat: p[0], lng: p[1] });
            });
            if (points.length < 1) { return; }
            // Counted with the routes: it is no part of the travelled track.
            gpxLayers.push(L.polyline(points, { interactive: false, color: '#7b2cbf', weight: 4, opacity: 0.8, marluRoute: true }).addTo(lmap));
            points.forEach(function (p) { bounds.extend(p); });
            gpxCounts.lines++;
        });
        (Array.isArray(shape.points) ? shape.points : []).filter(validPoint).slice(0, MAX_MARKS).forEach(function (p) {
            gpxLayers.push(L.marker([p.lat, p.lng], { interactive: false, keyboard: false,
                                                      icon: labelledIcon('gpx', p.name) }).addTo(lmap));
            bounds.extend([p.lat, p.lng]);
            gpxCounts.points++;
        });
        if (bounds.isValid()) { lmap.fitBounds(bounds, { animate: false, padding: [20, 20], maxZoom: 16 }); }
        return undefined;
    };

    clearGpx = function () {
        gpxLayers.forEach(function (layer) { map._leaflet.removeLayer(layer); });
        gpxLayers = [];
        gpxCounts = { lines: 0, points: 0 };
        return undefined;
    };

    // "lat,lng" of a point of the view, in pixels from the view's top left.
    latLngAt = function (x, y) {
        var box = document.getElementById('map_canvas').getBoundingClientRect();
        var at = map._leaflet.containerPointToLatLng([x - box.left, y - box.top]).wrap();
        return at.lat + ',' + at.lng;
    };

    placesState = function () {
        return JSON.stringify({ favourites: favouriteMarks.length, gpxLines: gpxCounts.lines, gpxPoints: gpxCounts.points });
    };
}(this));
