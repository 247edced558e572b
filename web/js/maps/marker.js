/*
 * google.maps.Marker. options: position, map, icon (a Leaflet icon; a plain
 * pin when absent), zIndex.
 */
(function (root, factory) {
    if (typeof module === 'object' && module.exports) {
        module.exports = factory(root);
    } else {
        root.google.maps.Marker = factory(root);
    }
}(this, function (root) {
    'use strict';

    var L = root.L, M = root.MarluMaps, LatLng = root.google.maps.LatLng, Overlay = M.Overlay;

    function Marker(options) {
        options = options || {};
        var pos = LatLng.from(options.position) || new LatLng(0, 0);
        Overlay.call(this, L.marker(pos.toLeaflet(), {
            icon: options.icon || L.divIcon({ className: 'marlu-pin', iconSize: [14, 14], iconAnchor: [7, 7] }),
            interactive: false, keyboard: false, zIndexOffset: options.zIndex || 0
        }));
        M.hide(this, '_position', pos);
        if (options.map) { this.setMap(options.map); }
    }
    M.inherit(Marker, Overlay);
    M.methods(Marker, {
        getPosition: function () { return this._position; },
        setPosition: function (latLng) { return this._moveTo('_position', latLng); },
        getElement: function () { return this._layer.getElement() || null; }
    });

    return Marker;
}));
