/*
 * google.maps.Polyline: the travelled track is one.
 *
 * A day of tracking holds tens of thousands of points, and a Leaflet line
 * re-projects, clips and re-renders all of its points whenever one is added,
 * and re-clips and re-renders them on every pan. So the line is drawn as
 * pieces of at most PIECE points. Only the last piece, the one that grows, is
 * a Leaflet line: a new point redraws it alone. The finished pieces are
 * painted once onto a canvas that covers the view and a margin around it; a
 * pan moves that canvas with the map and paints nothing, until the view
 * leaves the covered ground or the zoom changes. So a track that stays in
 * view (driving round a block all day) costs a fix as little as a short one.
 * Every point is kept, once, in the pieces, and painted as it is.
 */
(function (root, factory) {
    if (typeof module === 'object' && module.exports) {
        module.exports = factory(root);
    } else {
        root.google.maps.Polyline = factory(root);
    }
}(this, function (root) {
    'use strict';

    var L = root.L, M = root.MarluMaps, LatLng = root.google.maps.LatLng, Overlay = M.Overlay;

    // Points per piece: small enough that redrawing the last one is cheap,
    // large enough that the pieces of a day stay few (60 for 30,000 points).
    var PIECE = 512;
    // The ground painted around the view, in views: a pan within it paints nothing.
    var MARGIN = 0.5;

    // The growing piece. Out of view it draws nothing; telling the renderer
    // so again on every pan of a long drive would rewrite an empty SVG path.
    var Piece = L.Polyline.extend({
        onAdd: function (map) {
            this._drawnEmpty = false;
            L.Polyline.prototype.onAdd.call(this, map);
        },
        _updatePath: function () {
            var empty = this._parts.length === 0;
            if (empty && this._drawnEmpty) { return; }
            this._drawnEmpty = empty;
            L.Polyline.prototype._updatePath.call(this);
        }
    });

    // The finished pieces, painted on a canvas in the overlay pane. `pieces`
    // is the line's list: every piece but the last is finished.
    var Finished = L.Layer.extend({
        initialize: function (pieces, style) {
            this._pieces = pieces;
            this._style = style;
            this._covered = null;   // the layer-pixel bounds the canvas paints
        },
        onAdd: function (map) {
            this._canvas = L.DomUtil.create('canvas', 'marlu-track leaflet-zoom-hide');
            this._canvas.style.pointerEvents = 'none';
            map.getPanes().overlayPane.appendChild(this._canvas);
            this._covered = null;
            this._paintAll();
        },
        onRemove: function () {
            L.DomUtil.remove(this._canvas);
            this._canvas = null;
            this._covered = null;
        },
        getEvents: function () {
            // A zoom resets the view (the page zooms without animation).
            return { moveend: this._moved, viewreset: this._paintAll, resize: this._paintAll };
        },
        // A piece just finished: painted over what is there.
        finished: function (latLngs) {
            if (this._canvas && this._covered) { this._paint(latLngs); }
        },
        _moved: function () {
            if (!this._covered || !this._covered.contains(this._view())) { this._paintAll(); }
        },
        _view: function () {
            var bounds = this._map.getPixelBounds(), origin = this._map.getPixelOrigin();
            return L.bounds(bounds.min.subtract(origin), bounds.max.subtract(origin));
        },
        _paintAll: function () {
            if (!this._map) { return; }
            var view = this._view(), margin = view.getSize().multiplyBy(MARGIN).round();
            var covered = L.bounds(view.min.subtract(margin), view.max.add(margin));
            var size = covered.getSize(), canvas = this._canvas, context = canvas.getContext('2d');
            // Setting the size clears the canvas, with a new bitmap: only when it changes.
            if (canvas.width !== size.x || canvas.height !== size.y) {
                canvas.width = size.x;
                canvas.height = size.y;
                canvas.style.width = size.x + 'px';
                canvas.style.height = size.y + 'px';
            } else if (context) {
                context.clearRect(0, 0, size.x, size.y);
            }
            L.DomUtil.setPosition(canvas, covered.min);
            this._covered = covered;
            var latLngBounds = L.latLngBounds(this._map.layerPointToLatLng(covered.min),
                                              this._map.layerPointToLatLng(covered.max));
            for (var i = 0; i < this._pieces.length - 1; i++) {
                // A piece out of the covered ground is dropped by its bounds.
                if (latLngBounds.intersects(this._bounds(i))) { this._paint(this._pieces[i]); }
            }
        },
        _bounds: function (i) {
            var pieces = this._pieces;
            if (!pieces.bounds) { pieces.bounds = []; }
            if (!pieces.bounds[i]) { pieces.bounds[i] = L.latLngBounds(pieces[i]); }
            return pieces.bounds[i];
        },
        _paint: function (latLngs) {
            var context = this._canvas.getContext('2d'), map = this._map, origin = this._covered.min;
            if (!context || latLngs.length < 2) { return; }
            var style = this._style;
            context.globalAlpha = style.opacity;
            context.strokeStyle = style.color;
            context.lineWidth = style.weight;
            context.lineJoin = 'round';
            context.lineCap = 'round';
            context.beginPath();
            for (var k = 0; k < latLngs.length; k++) {
                var p = map.latLngToLayerPoint(latLngs[k]);
                if (k === 0) { context.moveTo(p.x - origin.x, p.y - origin.y); }
                else { context.lineTo(p.x - origin.x, p.y - origin.y); }
            }
            context.stroke();
        }
    });

    function points(path) {
        return (path || []).map(LatLng.from).filter(LatLng.isValid);
    }

    function Polyline(options) {
        options = options || {};
        M.hide(this, '_style', {
            interactive: false,
            color: options.strokeColor || '#d6336c',
            opacity: options.strokeOpacity !== undefined ? options.strokeOpacity : 0.9,
            weight: options.strokeWeight || 4,
            lineJoin: 'round',
            // The map reports the last piece as this whole line.
            marluLine: this
        });
        Overlay.call(this, L.layerGroup());
        // Each piece's points (Leaflet's); the last is the growing line's own.
        M.hide(this, '_pieces', []);
        M.hide(this, '_tail', null);
        M.hide(this, '_finished', null);
        M.hide(this, '_count', 0);
        this.setPath(options.path);
        if (options.map) { this.setMap(options.map); }
    }
    M.inherit(Polyline, Overlay);
    M.methods(Polyline, {
        // A copy: changing it does not change the line.
        getPath: function () {
            var path = [];
            this._pieces.forEach(function (piece, i) {
                piece.forEach(function (p, k) {
                    // A piece's first point is the last of the one before.
                    if (i === 0 || k > 0) { path.push(new LatLng(p.lat, p.lng)); }
                });
            });
            return path;
        },
        setPath: function (path) {
            path = points(path).map(function (p) { return p.toLeaflet(); });
            this._layer.clearLayers();
            this._pieces = [];
            this._count = path.length;
            var start = 0;
            for (; start + PIECE < path.length; start += PIECE - 1) {
                this._pieces.push(path.slice(start, start + PIECE));
            }
            this._finished = new Finished(this._pieces, this._style);
            this._layer.addLayer(this._finished);
            this._startTail(path.slice(start));
            return undefined;
        },
        // Appends one point; what track() uses. Only the last piece redraws.
        extend: function (latLng) {
            latLng = LatLng.from(latLng);
            if (!LatLng.isValid(latLng)) { return undefined; }
            this._count++;
            var last = this._tail.getLatLngs();
            if (last.length >= PIECE) {
                // The piece is finished; the new one starts where it ends, so the line stays joined.
                this._layer.removeLayer(this._tail);
                this._finished.finished(last);
                this._startTail([last[last.length - 1], latLng.toLeaflet()]);
            } else {
                this._tail.addLatLng(latLng.toLeaflet());
            }
            return undefined;
        },
        // The page's own: how many points, and in how many pieces.
        pointCount: function () { return this._count; },
        pieceCount: function () { return this._pieces.length; },
        _startTail: function (latLngs) {
            this._tail = new Piece(latLngs, this._style);
            this._pieces.push(this._tail.getLatLngs());
            this._layer.addLayer(this._tail);
        }
    });
    Polyline.PIECE = PIECE;

    return Polyline;
}));
