/* google.maps.TrafficLayer and google.maps.BicyclingLayer. */
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
            var self = this;
            Overlay.call(this, root.MarluOverlays.createLayer(root.L, kind, function () {
                return self._map ? self._map._base.atlas : null;
            }));
        }
        M.inherit(LayerType, Overlay);
        M.methods(LayerType, {
            _attach: function (gmap) { gmap._attachOverlay(this._layer); },
            _detach: function (gmap) { gmap._detachOverlay(this._layer); }
        });
        return LayerType;
    }

    return { traffic: layerType('traffic'), bicycling: layerType('bicycling') };
}));
