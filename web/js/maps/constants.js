/*
 * The google.maps namespace of the page's stand-in for the parts of the
 * google.maps JavaScript API that the application's snippets use, and its
 * constants. The classes add themselves to it, one file each.
 */
(function (root, factory) {
    if (typeof module === 'object' && module.exports) {
        module.exports = factory(root);
    } else {
        (root.google = root.google || {}).maps = factory(root);
    }
}(this, function () {
    'use strict';

    var DirectionsTravelMode = { DRIVING: 'DRIVING', WALKING: 'WALKING', BICYCLING: 'BICYCLING' };
    return {
        MapTypeId: { HYBRID: 'hybrid', ROADMAP: 'roadmap', SATELLITE: 'satellite', TERRAIN: 'terrain' },
        DirectionsTravelMode: DirectionsTravelMode,
        TravelMode: DirectionsTravelMode,
        DirectionsStatus: {
            OK: 'OK', NOT_FOUND: 'NOT_FOUND', ZERO_RESULTS: 'ZERO_RESULTS',
            MAX_WAYPOINTS_EXCEEDED: 'MAX_WAYPOINTS_EXCEEDED', INVALID_REQUEST: 'INVALID_REQUEST',
            OVER_QUERY_LIMIT: 'OVER_QUERY_LIMIT', REQUEST_DENIED: 'REQUEST_DENIED', UNKNOWN_ERROR: 'UNKNOWN_ERROR'
        },
        UnitSystem: { METRIC: 0, IMPERIAL: 1 }
    };
}));
