/* google.maps.Polyline: the travelled track is one. */
(function (root, factory) {
    if (typeof module === 'object' && module.exports) {
        module.exports = factory(root);
    } else {
        root.google.maps.Polyline = factory(root);
    }
}(this, function (root) {
    'use strict';

    var L = root.L, M = root.MarluMaps, LatLng = root.google.maps.LatLng, Overlay = M.Overlay;

    function points(path) {
        return (path || []).map(LatLng.from).filter(LatLng.isValid);
    }

    function Polyline(options) {
        options = options || {};
        var path = points(options.path);
        Overlay.call(this, L.polyline(path.map(function (p) { return p.toLeaflet(); }), {
            interactive: false,
            color: options.strokeColor || '#d6336c',
            opacity: options.strokeOpacity !== undefined ? options.strokeOpacity : 0.9,
            weight: options.strokeWeight || 4,
            lineJoin: 'round'
        }));
        M.hide(this, '_path', path);
        if (options.map) { this.setMap(options.map); }
    }
    M.inherit(Polyline, Overlay);
    M.methods(Polyline, {
        // A copy: changing it does not change the line.
        getPath: function () { return this._path.slice(); },
        setPath: function (path) {
            this._path = points(path);
            this._layer.setLatLngs(this._path.map(function (p) { return p.toLeaflet(); }));
            return undefined;
        },
        // Appends one point; what track() uses.
        extend: function (latLng) {
            latLng = LatLng.from(latLng);
            if (LatLng.isValid(latLng)) {
                this._path.push(latLng);
                this._layer.addLatLng(latLng.toLeaflet());
            }
            return undefined;
        }
    });

    return Polyline;
}));
