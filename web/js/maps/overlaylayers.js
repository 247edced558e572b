/*
 * google.maps.TrafficLayer and google.maps.BicyclingLayer: each switches its
 * tile overlay on the map it is set on.
 */
(function (root, factory) {
    if (typeof module === 'object' && module.exports) {
        module.exports = factory(root);
    } else {
        var types = factory(root);
        root.google.maps.TrafficLayer = types.traffic;
        root.google.maps.BicyclingLayer = types.bicycling;
    }
}(this, function (root) {
    'use strict';

    var M = root.MarluMaps, Overlay = M.Overlay;

    function layerType(kind) {
        function LayerType() {
            Overlay.call(this, null);
        }
        M.inherit(LayerType, Overlay);
        M.methods(LayerType, {
            isDrawn: function () { return this._map !== null; },
            _attach: function (gmap) { gmap._setOverlay(kind, true); },
            _detach: function (gmap) { gmap._setOverlay(kind, false); }
        });
        return LayerType;
    }

    return { traffic: layerType('traffic'), bicycling: layerType('bicycling') };
}));
