/*
 * google.maps.DirectionsRenderer: draws route `routeIndex` of the result set
 * last, its line and markers A (start) and B (end). An index without a route
 * draws nothing. The view is fitted once per new result, not when switching
 * alternatives, so a view the user has moved to stays put.
 */
(function (root, factory) {
    if (typeof module === 'object' && module.exports) {
        module.exports = factory(root);
    } else {
        root.google.maps.DirectionsRenderer = factory(root);
    }
}(this, function (root) {
    'use strict';

    var L = root.L, M = root.MarluMaps, LatLng = root.google.maps.LatLng, Overlay = M.Overlay;

    var ROUTE_STYLE = { color: '#1a5fd0', weight: 5, opacity: 0.65, lineJoin: 'round', interactive: false,
                        marluRoute: true };

    function routeMarker(position, letter, colour) {
        var label = document.createElement('div');
        label.textContent = letter;
        label.style.cssText = 'width:22px;height:22px;line-height:22px;border-radius:11px;text-align:center;' +
            'font:bold 13px sans-serif;color:#fff;border:2px solid #fff;box-sizing:border-box;' +
            'box-shadow:0 1px 3px rgba(0,0,0,.5);background:' + colour;
        return L.marker(position.toLeaflet(), {
            icon: L.divIcon({ className: 'marlu-route-marker', html: label, iconSize: [22, 22], iconAnchor: [11, 11] }),
            interactive: false, keyboard: false, zIndexOffset: 600
        });
    }

    function DirectionsRenderer(options) {
        options = options || {};
        Overlay.call(this, L.layerGroup());
        M.hide(this, '_directions', null);
        M.hide(this, '_routeIndex', 0);
        M.hide(this, '_panel', options.panel || null);
        M.hide(this, '_line', null);
        M.hide(this, '_startMarker', null);
        M.hide(this, '_endMarker', null);
        M.hide(this, '_fitPending', false);
        if (options.map) { this.setMap(options.map); }
        if (options.directions) { this.setDirections(options.directions); }
    }
    M.inherit(DirectionsRenderer, Overlay);
    M.methods(DirectionsRenderer, {
        getDirections: function () { return this._directions; },
        setDirections: function (result) {
            this._directions = result || null;
            this._routeIndex = 0;
            this._fitPending = this._directions !== null;
            this._render();
            return undefined;
        },
        getRouteIndex: function () { return this._routeIndex; },
        setRouteIndex: function (index) {
            index = Number(index);
            if (isFinite(index) && Math.floor(index) === index) {
                this._routeIndex = index;
                this._render();
            }
            return undefined;
        },
        getPanel: function () { return this._panel; },
        setPanel: function (element) {
            this._panel = element || null;
            return undefined;
        },
        // The page's own: what is drawn of the route now, as {pathPoints,
        // start, end}; start and end are {lat, lng} or null.
        getDrawing: function () {
            var lmap = this._map && this._directions !== null ? this._map._leaflet : null;
            function drawn(layer) { return lmap !== null && !!layer && lmap.hasLayer(layer); }
            function at(marker) { return drawn(marker) ? { lat: marker.getLatLng().lat, lng: marker.getLatLng().lng } : null; }
            return {
                pathPoints: drawn(this._line) ? this._line.getLatLngs().length : 0,
                start: at(this._startMarker),
                end: at(this._endMarker)
            };
        },
        _attach: function (gmap) {
            gmap._leaflet.addLayer(this._layer);
            this._fit();
        },
        _route: function () {
            var routes = this._directions && this._directions.routes;
            return Array.isArray(routes) && this._routeIndex >= 0 ? routes[this._routeIndex] || null : null;
        },
        _render: function () {
            this._layer.clearLayers();
            this._line = this._startMarker = this._endMarker = null;
            var route = this._route(), path = [], legs, start, end;
            if (!route) { return; }
            try {
                path = root.MarluDirections.routePath(route);
                if (!path.length) { path = route.overview_path || []; }
                path = path.map(LatLng.from).filter(LatLng.isValid);
                legs = Array.isArray(route.legs) ? route.legs : [];
                start = LatLng.from(legs.length ? legs[0].start_location : null) || path[0] || null;
                end = LatLng.from(legs.length ? legs[legs.length - 1].end_location : null) || path[path.length - 1] || null;
            } catch (e) {
                return;    // not a result this renderer can read
            }
            if (path.length) {
                this._line = L.polyline(path.map(function (p) { return p.toLeaflet(); }), ROUTE_STYLE);
                this._layer.addLayer(this._line);
            }
            if (LatLng.isValid(start)) {
                this._startMarker = routeMarker(start, 'A', '#2b8a3e');
                this._layer.addLayer(this._startMarker);
            }
            if (LatLng.isValid(end)) {
                this._endMarker = routeMarker(end, 'B', '#c92a2a');
                this._layer.addLayer(this._endMarker);
            }
            this._fit();
        },
        _fit: function () {
            if (!this._fitPending || !this._map) { return; }
            // While the map follows the car a new route (a reroute) must not
            // throw the driver out to an overview.
            if (this._map.isDriving && this._map.isDriving()) {
                this._fitPending = false;
                return;
            }
            var box = L.latLngBounds([]);
            if (this._line) { box.extend(this._line.getBounds()); }
            if (this._startMarker) { box.extend(this._startMarker.getLatLng()); }
            if (this._endMarker) { box.extend(this._endMarker.getLatLng()); }
            if (!box.isValid()) { return; }
            this._fitPending = false;
            this._map._leaflet.fitBounds(box, { padding: [24, 24], maxZoom: 16, animate: false });
        }
    });

    return DirectionsRenderer;
}));
