/* google.maps.Circle: radius in metres. */
(function (root, factory) {
    if (typeof module === 'object' && module.exports) {
        module.exports = factory(root);
    } else {
        root.google.maps.Circle = factory(root);
    }
}(this, function (root) {
    'use strict';

    var L = root.L, M = root.MarluMaps, LatLng = root.google.maps.LatLng, Overlay = M.Overlay;

    function Circle(options) {
        options = options || {};
        var center = LatLng.from(options.center) || new LatLng(0, 0), radius = Number(options.radius) || 0;
        Overlay.call(this, L.circle(center.toLeaflet(), {
            radius: radius, interactive: false,
            color: options.strokeColor || '#1a73e8', weight: options.strokeWeight || 1.5,
            opacity: options.strokeOpacity !== undefined ? options.strokeOpacity : 0.9,
            fillColor: options.fillColor || '#1a73e8',
            fillOpacity: options.fillOpacity !== undefined ? options.fillOpacity : 0.18
        }));
        M.hide(this, '_center', center);
        M.hide(this, '_radius', radius);
        if (options.map) { this.setMap(options.map); }
    }
    M.inherit(Circle, Overlay);
    M.methods(Circle, {
        getCenter: function () { return this._center; },
        setCenter: function (latLng) { return this._moveTo('_center', latLng); },
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

    return Circle;
}));
