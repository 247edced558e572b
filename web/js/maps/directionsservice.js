/*
 * google.maps.DirectionsService: asks the page's own host for routes.
 * callback(result, status) comes exactly once and never before route()
 * returns: OK with the routes, the service's status word otherwise,
 * INVALID_REQUEST without an origin or a destination, UNKNOWN_ERROR when the
 * service cannot be read.
 */
(function (root, factory) {
    if (typeof module === 'object' && module.exports) {
        module.exports = factory(root);
    } else {
        root.google.maps.DirectionsService = factory(root);
    }
}(this, function (root) {
    'use strict';

    var M = root.MarluMaps, maps = root.google.maps;

    function later(callback, result, status) {
        root.setTimeout(function () { callback(result, status); }, 0);
    }

    function makeLatLng(lat, lng) {
        return new maps.LatLng(lat, lng);
    }

    function makeBounds(sw, ne) {
        return new maps.LatLngBounds(sw, ne);
    }

    function DirectionsService() {}
    M.methods(DirectionsService, {
        route: function (request, callback) {
            if (typeof callback !== 'function') { return undefined; }
            var D = root.MarluDirections, query = null;
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
                    reply = D.parseReply(doc, makeLatLng, makeBounds);
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

    return DirectionsService;
}));
