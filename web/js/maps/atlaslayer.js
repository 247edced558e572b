/*
 * The offline base map: the atlas's country shapes drawn into canvas tiles,
 * and the country names of the map types that show them.
 */
(function (root, factory) {
    if (typeof module === 'object' && module.exports) {
        module.exports = factory(root);
    } else {
        root.MarluAtlasLayer = factory(root);
    }
}(this, function (root) {
    'use strict';

    var L = root.L;

    function AtlasLayer(mapTypeId) {
        this.grid = new (L.GridLayer.extend({
            createTile: function (coords) {
                var size = this.getTileSize(), canvas = L.DomUtil.create('canvas', 'marlu-base-tile');
                var ratio = root.devicePixelRatio || 1, ctx;
                canvas.width = size.x * ratio;
                canvas.height = size.y * ratio;
                ctx = canvas.getContext('2d');
                if (!ctx) { return canvas; }    // no 2D canvas here: leave the tile blank
                ctx.scale(ratio, ratio);
                root.MarluAtlas.drawTile(ctx, this.atlas, this.style, coords.x, coords.y, coords.z, size.x);
                return canvas;
            }
        }))({ zIndex: 1, updateWhenZooming: false, keepBuffer: 1 });
        this.grid.style = mapTypeId;
        this.grid.atlas = null;
        this.atlas = null;
        this.labels = L.layerGroup();
        this.labelMarkers = {};
    }

    AtlasLayer.prototype.addTo = function (lmap) {
        this.grid.addTo(lmap);
        this.labels.addTo(lmap);
    };

    AtlasLayer.prototype.setStyle = function (mapTypeId) {
        if (this.grid.style !== mapTypeId) {
            this.grid.style = mapTypeId;
            this.grid.redraw();
            return true;
        }
        return false;
    };

    AtlasLayer.prototype.setAtlas = function (atlas) {
        this.atlas = atlas;
        this.grid.atlas = atlas;
        this.grid.redraw();
    };

    // Country names for the map types that show them, as non-interactive DOM
    // markers.
    AtlasLayer.prototype.updateLabels = function (lmap, mapTypeId) {
        var self = this, wanted = {}, atlas = this.atlas;
        var show = atlas && root.MarluAtlas.STYLES[mapTypeId].labels;
        if (show) {
            root.MarluAtlas.labelsAtZoom(atlas, lmap.getZoom()).forEach(function (c) { wanted[c.id + c.name] = c; });
        }
        Object.keys(this.labelMarkers).forEach(function (key) {
            if (!wanted[key]) {
                self.labels.removeLayer(self.labelMarkers[key]);
                delete self.labelMarkers[key];
            }
        });
        Object.keys(wanted).forEach(function (key) {
            if (self.labelMarkers[key]) { return; }
            var c = wanted[key], text = document.createElement('span');
            text.className = 'marlu-country-label-text';
            text.textContent = c.name;
            var ll = lmap.unproject([c.label.x, c.label.y], 0);
            var marker = L.marker(ll, { interactive: false, keyboard: false,
                icon: L.divIcon({ className: 'marlu-country-label', html: text, iconSize: null }) });
            self.labelMarkers[key] = marker;
            self.labels.addLayer(marker);
        });
    };

    return AtlasLayer;
}));
