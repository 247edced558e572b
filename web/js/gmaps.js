/*
 * A small stand-in for the parts of the google.maps JavaScript API that the
 * application's snippets use, implemented over Leaflet and the offline atlas.
 *
 * QtWebKit turns the value of every evaluated snippet into a QVariant by
 * walking the object's enumerable properties; walking a Leaflet object takes
 * 0.1 to 2.5 s. So Leaflet objects are kept in non-enumerable properties,
 * methods are non-enumerable too, and mutators return undefined.
 */
(function (global) {
    'use strict';

    var L = global.L;
    var google = global.google = global.google || {};
    var maps = google.maps = {};

    var MIN_ZOOM = 0, MAX_ZOOM = 18;

    function hide(obj, name, value) {
        Object.defineProperty(obj, name, { value: value, writable: true, configurable: true, enumerable: false });
    }

    function methods(ctor, table) {
        Object.keys(table).forEach(function (name) { hide(ctor.prototype, name, table[name]); });
    }

    function isMap(value) {
        return value instanceof GMap;
    }

    // ---- enums --------------------------------------------------------------

    maps.MapTypeId = { HYBRID: 'hybrid', ROADMAP: 'roadmap', SATELLITE: 'satellite', TERRAIN: 'terrain' };
    maps.DirectionsTravelMode = { DRIVING: 'DRIVING', WALKING: 'WALKING', BICYCLING: 'BICYCLING' };
    maps.TravelMode = maps.DirectionsTravelMode;
    maps.DirectionsStatus = {
        OK: 'OK', NOT_FOUND: 'NOT_FOUND', ZERO_RESULTS: 'ZERO_RESULTS',
        MAX_WAYPOINTS_EXCEEDED: 'MAX_WAYPOINTS_EXCEEDED', INVALID_REQUEST: 'INVALID_REQUEST',
        OVER_QUERY_LIMIT: 'OVER_QUERY_LIMIT', REQUEST_DENIED: 'REQUEST_DENIED', UNKNOWN_ERROR: 'UNKNOWN_ERROR'
    };
    maps.UnitSystem = { METRIC: 0, IMPERIAL: 1 };

    function isMapTypeId(id) {
        var key;
        for (key in maps.MapTypeId) {
            if (maps.MapTypeId[key] === id) { return true; }
        }
        return false;
    }

    // ---- LatLng -------------------------------------------------------------

    function LatLng(lat, lng) {
        lat = Number(lat);
        lng = Number(lng);
        this.latitude = Math.max(-90, Math.min(90, lat));
        this.longitude = (lng >= -180 && lng <= 180) ? lng : ((lng + 180) % 360 + 360) % 360 - 180;
    }
    methods(LatLng, {
        lat: function () { return this.latitude; },
        lng: function () { return this.longitude; },
        equals: function (other) {
            return other instanceof LatLng && other.latitude === this.latitude && other.longitude === this.longitude;
        },
        toJSON: function () { return { lat: this.latitude, lng: this.longitude }; },
        toString: function () { return '(' + this.latitude + ', ' + this.longitude + ')'; }
    });
    maps.LatLng = LatLng;

    // Accepts a LatLng, a {lat, lng} literal or a Leaflet LatLng.
    function toLatLng(value) {
        if (value instanceof LatLng) { return value; }
        if (value && typeof value.lat === 'function') { return new LatLng(value.lat(), value.lng()); }
        if (value && value.lat !== undefined && value.lng !== undefined) { return new LatLng(value.lat, value.lng); }
        return null;
    }

    function toLeaflet(latLng) {
        return L.latLng(latLng.latitude, latLng.longitude);
    }

    function fromLeaflet(ll) {
        return new LatLng(ll.lat, ll.lng);
    }

    function validLatLng(latLng) {
        return latLng !== null && isFinite(latLng.latitude) && isFinite(latLng.longitude);
    }

    // ---- LatLngBounds -------------------------------------------------------

    function LatLngBounds(sw, ne) {
        hide(this, '_sw', null);
        hide(this, '_ne', null);
        sw = toLatLng(sw);
        ne = toLatLng(ne);
        if (validLatLng(sw)) { this.extend(sw); }
        if (validLatLng(ne)) { this.extend(ne); }
    }
    methods(LatLngBounds, {
        getSouthWest: function () { return this._sw; },
        getNorthEast: function () { return this._ne; },
        isEmpty: function () { return this._sw === null; },
        extend: function (latLng) {
            latLng = toLatLng(latLng);
            if (!validLatLng(latLng)) { return undefined; }
            if (this._sw === null) {
                this._sw = this._ne = latLng;
            } else {
                this._sw = new LatLng(Math.min(this._sw.latitude, latLng.latitude), Math.min(this._sw.longitude, latLng.longitude));
                this._ne = new LatLng(Math.max(this._ne.latitude, latLng.latitude), Math.max(this._ne.longitude, latLng.longitude));
            }
            return undefined;
        },
        contains: function (latLng) {
            latLng = toLatLng(latLng);
            return validLatLng(latLng) && this._sw !== null &&
                latLng.latitude >= this._sw.latitude && latLng.latitude <= this._ne.latitude &&
                latLng.longitude >= this._sw.longitude && latLng.longitude <= this._ne.longitude;
        },
        getCenter: function () {
            if (this._sw === null) { return null; }
            return new LatLng((this._sw.latitude + this._ne.latitude) / 2, (this._sw.longitude + this._ne.longitude) / 2);
        },
        toJSON: function () {
            if (this._sw === null) { return null; }
            return { south: this._sw.latitude, west: this._sw.longitude, north: this._ne.latitude, east: this._ne.longitude };
        }
    });
    maps.LatLngBounds = LatLngBounds;

    // ---- base map layers ----------------------------------------------------

    var BaseLayer = L.GridLayer.extend({
        createTile: function (coords) {
            var size = this.getTileSize(), canvas = L.DomUtil.create('canvas', 'marlu-base-tile');
            var ratio = global.devicePixelRatio || 1, ctx;
            canvas.width = size.x * ratio;
            canvas.height = size.y * ratio;
            ctx = canvas.getContext('2d');
            if (!ctx) { return canvas; }    // no 2D canvas here: leave the tile blank
            ctx.scale(ratio, ratio);
            global.MarluAtlas.drawTile(ctx, this.atlas, this.style, coords.x, coords.y, coords.z, size.x);
            return canvas;
        }
    });

    // Country names for the hybrid map type, as non-interactive DOM markers.
    function updateLabels(gmap) {
        var lmap = gmap._leaflet, group = gmap._labels, wanted = {}, atlas = gmap._atlas;
        var show = atlas && global.MarluAtlas.STYLES[gmap._mapTypeId].labels;
        if (show) {
            global.MarluAtlas.labelsAtZoom(atlas, lmap.getZoom()).forEach(function (c) { wanted[c.id + c.name] = c; });
        }
        Object.keys(gmap._labelMarkers).forEach(function (key) {
            if (!wanted[key]) {
                group.removeLayer(gmap._labelMarkers[key]);
                delete gmap._labelMarkers[key];
            }
        });
        Object.keys(wanted).forEach(function (key) {
            if (gmap._labelMarkers[key]) { return; }
            var c = wanted[key], text = document.createElement('span');
            text.className = 'marlu-country-label-text';
            text.textContent = c.name;
            var ll = lmap.unproject([c.label.x, c.label.y], 0);
            var marker = L.marker(ll, { interactive: false, keyboard: false,
                icon: L.divIcon({ className: 'marlu-country-label', html: text, iconSize: null }) });
            gmap._labelMarkers[key] = marker;
            group.addLayer(marker);
        });
    }

    // ---- Map ----------------------------------------------------------------

    function GMap(div, options) {
        options = options || {};
        var center = toLatLng(options.center) || new LatLng(0, 0);
        var lmap = L.map(div, {
            center: toLeaflet(center),
            zoom: typeof options.zoom === 'number' ? options.zoom : 3,
            minZoom: MIN_ZOOM,
            maxZoom: MAX_ZOOM,
            attributionControl: false,
            // Animations would leave getZoom()/getCenter() stale right after
            // a snippet and drop zoom steps sent while one runs.
            zoomAnimation: false,
            fadeAnimation: false,
            markerZoomAnimation: false,
            worldCopyJump: false,
            doubleClickZoom: false,
            // The application's overlay takes the clicks that the +/- buttons
            // would need; zooming is by keys, double click and wheel.
            zoomControl: false
        });
        // The application keeps presses, moves and releases away from the page
        // and passes on double clicks only, which then arrive as a second press
        // without a dblclick event: zoom in at that point, as a map does.
        div.addEventListener('mousedown', function (e) {
            if (e.detail === 2 && e.button === 0) {
                lmap.setZoomAround(lmap.mouseEventToContainerPoint(e),
                                   Math.min(MAX_ZOOM, lmap.getZoom() + 1), { animate: false });
            }
        });
        hide(this, '_leaflet', lmap);
        hide(this, '_div', div);
        hide(this, '_atlas', null);
        hide(this, '_mapTypeId', maps.MapTypeId.ROADMAP);
        hide(this, '_base', new BaseLayer({ zIndex: 1, updateWhenZooming: false, keepBuffer: 1 }));
        hide(this, '_labels', L.layerGroup());
        hide(this, '_labelMarkers', {});
        hide(this, '_overlays', []);
        hide(this, '_legend', null);
        this._base.style = this._mapTypeId;
        this._base.atlas = null;
        this._base.addTo(lmap);
        this._labels.addTo(lmap);
        var self = this;
        lmap.on('zoomend', function () { updateLabels(self); });
        this.setMapTypeId(options.mapTypeId || maps.MapTypeId.ROADMAP);
    }
    methods(GMap, {
        getDiv: function () { return this._div; },
        getZoom: function () { return this._leaflet.getZoom(); },
        setZoom: function (zoom) {
            zoom = Number(zoom);
            if (!isFinite(zoom)) { return undefined; }
            this._leaflet.setZoom(Math.max(MIN_ZOOM, Math.min(MAX_ZOOM, Math.round(zoom))), { animate: false });
            return undefined;
        },
        getCenter: function () { return fromLeaflet(this._leaflet.getCenter()); },
        setCenter: function (latLng) {
            latLng = toLatLng(latLng);
            if (!validLatLng(latLng)) { return undefined; }
            var lmap = this._leaflet, target = toLeaflet(latLng);
            // A centre within half a pixel of the current one would not move the
            // map, yet every layer would redraw for it: a fix at a far zoom.
            if (lmap._loaded) {
                var offset = lmap.latLngToContainerPoint(target).subtract(lmap.getSize().divideBy(2));
                if (Math.abs(offset.x) < 0.5 && Math.abs(offset.y) < 0.5) { return undefined; }
            }
            lmap.setView(target, lmap.getZoom(), { animate: false });
            return undefined;
        },
        panTo: function (latLng) { return this.setCenter(latLng); },
        panBy: function (dx, dy) {
            dx = Number(dx);
            dy = Number(dy);
            if (isFinite(dx) && isFinite(dy)) { this._leaflet.panBy([dx, dy], { animate: false }); }
            return undefined;
        },
        getMapTypeId: function () { return this._mapTypeId; },
        setMapTypeId: function (id) {
            if (!isMapTypeId(id)) { return undefined; }
            var div = this._div;
            Object.keys(maps.MapTypeId).forEach(function (key) {
                L.DomUtil.removeClass(div, 'marlu-type-' + maps.MapTypeId[key]);
            });
            L.DomUtil.addClass(div, 'marlu-type-' + id);
            if (id !== this._mapTypeId || this._base.style !== id) {
                this._mapTypeId = id;
                this._base.style = id;
                this._base.redraw();
            }
            updateLabels(this);
            return undefined;
        }
    });
    // Internal hooks for the page; not part of the imitated API.
    methods(GMap, {
        _setAtlas: function (atlas) {
            this._atlas = atlas;
            this._base.atlas = atlas;
            this._base.redraw();
            this._overlays.forEach(function (layer) { layer.redraw(); });
            updateLabels(this);
        },
        _attachOverlay: function (layer) {
            if (this._overlays.indexOf(layer) < 0) { this._overlays.push(layer); }
            this._leaflet.addLayer(layer);
            this._updateLegend();
        },
        _detachOverlay: function (layer) {
            var i = this._overlays.indexOf(layer);
            if (i >= 0) { this._overlays.splice(i, 1); }
            this._leaflet.removeLayer(layer);
            this._updateLegend();
        },
        _updateLegend: function () {
            var kinds = [];
            this._overlays.forEach(function (layer) {
                if (kinds.indexOf(layer.marluKind) < 0) { kinds.push(layer.marluKind); }
            });
            kinds.sort().reverse();   // traffic above cycle paths
            if (this._legend) {
                this._leaflet.removeControl(this._legend);
                this._legend = null;
            }
            if (kinds.length) {
                var legend = L.control({ position: 'bottomleft' });
                legend.onAdd = function () { return global.MarluOverlays.buildLegend(document, kinds); };
                legend.addTo(this._leaflet);
                this._legend = legend;
            }
        },
        _invalidateSize: function () {
            this._leaflet.invalidateSize({ animate: false, pan: true });
        }
    });
    maps.Map = GMap;

    // ---- overlays on a map (shared setMap/getMap) -----------------------------

    // `layer` is the Leaflet layer; attach/detach default to add/remove.
    function Overlay(layer) {
        hide(this, '_layer', layer);
        hide(this, '_map', null);
    }
    methods(Overlay, {
        getMap: function () { return this._map; },
        setMap: function (gmap) {
            if (gmap === this._map) { return undefined; }
            if (this._map) { this._detach(this._map); }
            this._map = isMap(gmap) ? gmap : null;
            if (this._map) { this._attach(this._map); }
            return undefined;
        },
        _attach: function (gmap) { gmap._leaflet.addLayer(this._layer); },
        _detach: function (gmap) { gmap._leaflet.removeLayer(this._layer); }
    });

    function inherit(Child, Parent) {
        Child.prototype = Object.create(Parent.prototype);
        hide(Child.prototype, 'constructor', Child);
    }

    // Moves a point overlay, remembering where under the given key; a position
    // that is not a number leaves it where it was.
    function moveTo(overlay, key, latLng) {
        latLng = toLatLng(latLng);
        if (validLatLng(latLng)) {
            overlay[key] = latLng;
            overlay._layer.setLatLng(toLeaflet(latLng));
        }
        return undefined;
    }

    // ---- Marker -------------------------------------------------------------

    // options: position, map, icon (a Leaflet icon; a plain pin when absent),
    // zIndex.
    function Marker(options) {
        options = options || {};
        var pos = toLatLng(options.position) || new LatLng(0, 0);
        Overlay.call(this, L.marker(toLeaflet(pos), {
            icon: options.icon || L.divIcon({ className: 'marlu-pin', iconSize: [14, 14], iconAnchor: [7, 7] }),
            interactive: false, keyboard: false, zIndexOffset: options.zIndex || 0
        }));
        hide(this, '_position', pos);
        if (options.map) { this.setMap(options.map); }
    }
    inherit(Marker, Overlay);
    methods(Marker, {
        getPosition: function () { return this._position; },
        setPosition: function (latLng) { return moveTo(this, '_position', latLng); },
        getElement: function () { return this._layer.getElement() || null; }
    });
    maps.Marker = Marker;

    // ---- Circle -------------------------------------------------------------

    function Circle(options) {
        options = options || {};
        var center = toLatLng(options.center) || new LatLng(0, 0), radius = Number(options.radius) || 0;
        Overlay.call(this, L.circle(toLeaflet(center), {
            radius: radius, interactive: false,
            color: options.strokeColor || '#1a73e8', weight: options.strokeWeight || 1.5,
            opacity: options.strokeOpacity !== undefined ? options.strokeOpacity : 0.9,
            fillColor: options.fillColor || '#1a73e8',
            fillOpacity: options.fillOpacity !== undefined ? options.fillOpacity : 0.18
        }));
        hide(this, '_center', center);
        hide(this, '_radius', radius);
        if (options.map) { this.setMap(options.map); }
    }
    inherit(Circle, Overlay);
    methods(Circle, {
        getCenter: function () { return this._center; },
        setCenter: function (latLng) { return moveTo(this, '_center', latLng); },
        getRadius: function () { return this._radius; },
        setRadius: function (metres) {
            metres = Number(metres);
            if (isFinite(metres) && metres >= 0) {
                this._radius = metres;
                this._layer.setRadius(metres);
            }
            return undefined;
        }
    });
    maps.Circle = Circle;

    // ---- Polyline -----------------------------------------------------------

    function Polyline(options) {
        options = options || {};
        var path = (options.path || []).map(toLatLng).filter(validLatLng);
        Overlay.call(this, L.polyline(path.map(toLeaflet), {
            interactive: false,
            color: options.strokeColor || '#d6336c',
            opacity: options.strokeOpacity !== undefined ? options.strokeOpacity : 0.9,
            weight: options.strokeWeight || 4,
            lineJoin: 'round'
        }));
        hide(this, '_path', path);
        if (options.map) { this.setMap(options.map); }
    }
    inherit(Polyline, Overlay);
    methods(Polyline, {
        // A copy: changing it does not change the line.
        getPath: function () { return this._path.slice(); },
        setPath: function (path) {
            this._path = (path || []).map(toLatLng).filter(validLatLng);
            this._layer.setLatLngs(this._path.map(toLeaflet));
            return undefined;
        },
        // Appends one point; what track() uses.
        extend: function (latLng) {
            latLng = toLatLng(latLng);
            if (validLatLng(latLng)) {
                this._path.push(latLng);
                this._layer.addLatLng(toLeaflet(latLng));
            }
            return undefined;
        }
    });
    maps.Polyline = Polyline;

    // ---- traffic and cycling layers -----------------------------------------

    function overlayLayerType(kind) {
        function LayerType() {
            var self = this;
            Overlay.call(this, global.MarluOverlays.createLayer(L, kind, function () {
                return self._map ? self._map._atlas : null;
            }));
        }
        inherit(LayerType, Overlay);
        methods(LayerType, {
            _attach: function (gmap) { gmap._attachOverlay(this._layer); },
            _detach: function (gmap) { gmap._detachOverlay(this._layer); }
        });
        return LayerType;
    }
    maps.TrafficLayer = overlayLayerType('traffic');
    maps.BicyclingLayer = overlayLayerType('bicycling');

    // ---- directions ---------------------------------------------------------

    var ROUTE_STYLE = { color: '#1a5fd0', weight: 5, opacity: 0.65, lineJoin: 'round', interactive: false };

    function makeBounds(sw, ne) {
        return new LatLngBounds(sw, ne);
    }

    function later(callback, result, status) {
        global.setTimeout(function () { callback(result, status); }, 0);
    }

    // Asks the page's own host for routes. callback(result, status) comes
    // exactly once and never before route() returns: OK with the routes, the
    // service's status word otherwise, INVALID_REQUEST without an origin or a
    // destination, UNKNOWN_ERROR when the service cannot be read.
    function DirectionsService() {}
    methods(DirectionsService, {
        route: function (request, callback) {
            if (typeof callback !== 'function') { return undefined; }
            var D = global.MarluDirections, query = null;
            try {
                query = D.queryString(request);
            } catch (e) {
                query = null;     // a request object whose getters throw
            }
            if (query === null) {
                later(callback, null, maps.DirectionsStatus.INVALID_REQUEST);
                return undefined;
            }
            D.fetchXml(D.PATH + '?' + query, D.TIMEOUT_MS, function (doc) {
                var reply = null;
                try {
                    reply = D.parseReply(doc, function (lat, lng) { return new LatLng(lat, lng); }, makeBounds);
                } catch (e) {
                    reply = null;
                }
                if (reply) {
                    callback({ routes: reply.routes, status: reply.status }, reply.status);
                } else {
                    callback(null, maps.DirectionsStatus.UNKNOWN_ERROR);
                }
            });
            return undefined;
        }
    });
    maps.DirectionsService = DirectionsService;

    function routeMarker(position, letter, colour) {
        var label = document.createElement('div');
        label.textContent = letter;
        label.style.cssText = 'width:22px;height:22px;line-height:22px;border-radius:11px;text-align:center;' +
            'font:bold 13px sans-serif;color:#fff;border:2px solid #fff;box-sizing:border-box;' +
            'box-shadow:0 1px 3px rgba(0,0,0,.5);background:' + colour;
        return L.marker(toLeaflet(position), {
            icon: L.divIcon({ className: 'marlu-route-marker', html: label, iconSize: [22, 22], iconAnchor: [11, 11] }),
            interactive: false, keyboard: false, zIndexOffset: 600
        });
    }

    // Draws route `routeIndex` of the result set last: its line and markers A
    // (start) and B (end). An index without a route draws nothing. The view
    // is fitted once per new result, not when switching alternatives, so a
    // view the user has moved to stays put.
    function DirectionsRenderer(options) {
        options = options || {};
        Overlay.call(this, L.layerGroup());
        hide(this, '_directions', null);
        hide(this, '_routeIndex', 0);
        hide(this, '_panel', options.panel || null);
        hide(this, '_line', null);
        hide(this, '_startMarker', null);
        hide(this, '_endMarker', null);
        hide(this, '_fitPending', false);
        if (options.map) { this.setMap(options.map); }
        if (options.directions) { this.setDirections(options.directions); }
    }
    inherit(DirectionsRenderer, Overlay);
    methods(DirectionsRenderer, {
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
                path = global.MarluDirections.routePath(route);
                if (!path.length) { path = route.overview_path || []; }
                path = path.map(toLatLng).filter(validLatLng);
                legs = Array.isArray(route.legs) ? route.legs : [];
                start = toLatLng(legs.length ? legs[0].start_location : null) || path[0] || null;
                end = toLatLng(legs.length ? legs[legs.length - 1].end_location : null) || path[path.length - 1] || null;
            } catch (e) {
                return;    // not a result this renderer can read
            }
            if (path.length) {
                this._line = L.polyline(path.map(toLeaflet), ROUTE_STYLE);
                this._layer.addLayer(this._line);
            }
            if (validLatLng(start)) {
                this._startMarker = routeMarker(start, 'A', '#2b8a3e');
                this._layer.addLayer(this._startMarker);
            }
            if (validLatLng(end)) {
                this._endMarker = routeMarker(end, 'B', '#c92a2a');
                this._layer.addLayer(this._endMarker);
            }
            this._fit();
        },
        _fit: function () {
            if (!this._fitPending || !this._map) { return; }
            var box = L.latLngBounds([]);
            if (this._line) { box.extend(this._line.getBounds()); }
            if (this._startMarker) { box.extend(this._startMarker.getLatLng()); }
            if (this._endMarker) { box.extend(this._endMarker.getLatLng()); }
            if (!box.isValid()) { return; }
            this._fitPending = false;
            this._map._leaflet.fitBounds(box, { padding: [24, 24], maxZoom: 16, animate: false });
        }
    });
    maps.DirectionsRenderer = DirectionsRenderer;
}(this));
