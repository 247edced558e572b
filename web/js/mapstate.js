/*
 * mapState(): everything visible on the map, read from what is actually
 * shown, as a JSON string (cheap for QtWebKit to hand back). For tests and
 * diagnostics; the application never calls it.
 */
(function (root, factory) {
    if (typeof module === 'object' && module.exports) {
        module.exports = factory(root);
    } else {
        root.mapState = factory(root);
    }
}(this, function (root) {
    'use strict';

    var page = root.MarluPage, gm = root.google.maps;

    function onMap(overlay) {
        return !!overlay && overlay.getMap() === root.map;
    }

    function pointOf(latLng) {
        return { lat: latLng.lat(), lng: latLng.lng() };
    }

    function routeState() {
        var d = root.directionsDisplay, result = d.getDirections(), drawing = d.getDrawing();
        var routes = result && Array.isArray(result.routes) ? result.routes : [];
        var shown = onMap(d) && result !== null;
        var route = shown ? routes[d.getRouteIndex()] : null;
        return {
            shown: shown,
            routeIndex: d.getRouteIndex(),
            routeCount: routes.length,
            pathPoints: shown ? drawing.pathPoints : 0,
            start: shown ? drawing.start : null,
            end: shown ? drawing.end : null,
            summary: route ? String(route.summary || '') : null
        };
    }

    function shownMarks() {
        var shown = [];
        root.marks.forEach(function (mark) {
            var el = mark.getElement(), label = el && el.querySelector('.marlu-mark-label');
            if (onMap(mark) && label) {
                var p = pointOf(mark.getPosition());
                p.text = label.textContent;
                p.labelHtml = label.innerHTML;
                p.labelWidth = label.offsetWidth;
                shown.push(p);
            }
        });
        return shown;
    }

    // Where the own position is drawn in the window, the canvas's turn
    // included: {x, y} in pixels, or null.
    function onScreen(marker) {
        var el = onMap(marker) && marker.getElement();
        if (!el) { return null; }
        var box = el.getBoundingClientRect();
        return { x: (box.left + box.right) / 2, y: (box.top + box.bottom) / 2 };
    }

    return function mapState() {
        page.syncSize();
        var map = root.map, canvas = page.canvas, size = map.getSize(), kinds = map.getOverlayKinds();
        var accuracyCircle = root.radius, positionMarker = root.positionMarker, polyLine = root.polyLine;
        return JSON.stringify({
            zoom: map.getZoom(),
            center: pointOf(map.getCenter()),
            mapTypeId: map.getMapTypeId(),
            position: onMap(positionMarker) ? pointOf(positionMarker.getPosition()) : null,
            positionOnScreen: onScreen(positionMarker),
            driving: map.isDriving(),
            accuracy: onMap(accuracyCircle) ? accuracyCircle.getRadius() : null,
            trackPoints: polyLine instanceof gm.Polyline ? polyLine.pointCount() : 0,
            trackLinesShown: map.getDrawnLines().filter(function (line) { return !line.route; })
                .map(function (line) { return line.points; }),
            directions: routeState(),
            marks: shownMarks(),
            layers: { traffic: kinds.indexOf('traffic') >= 0, bicycling: kinds.indexOf('bicycling') >= 0 },
            tiles: map.getTiles(),
            tileSources: page.tileSourcesStatus(),
            lastViewSaved: root.MarluLastView.saved(),
            pelmarkSeen: root.pelmarkSeen,
            canvas: { width: canvas.offsetWidth, height: canvas.offsetHeight,
                      mapWidth: size.x, mapHeight: size.y,
                      transform: canvas.style.WebkitTransform || canvas.style.transform || '' }
        });
    };
}));
