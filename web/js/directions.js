/*
 * Route lookups for the google.maps stand-in: the query for the map service's
 * directions endpoint, fetching its XML reply, and reading that reply (the
 * Directions web service's XML format) into plain route records.
 */
(function (root, factory) {
    if (typeof module === 'object' && module.exports) {
        module.exports = factory();
    } else {
        root.MarluDirections = factory();
    }
}(this, function () {
    'use strict';

    // On the host that served the page.
    var PATH = '/maps/api/directions/xml';
    var TIMEOUT_MS = 30000;
    var IMPERIAL = 1;       // google.maps.UnitSystem.IMPERIAL

    // ---- encoded polylines --------------------------------------------------

    // Decodes the web service's encoded polyline format into [lat, lng] pairs.
    // A truncated or corrupted string gives null rather than a wrong path.
    function decodePolyline(encoded) {
        if (typeof encoded !== 'string') { return null; }
        var points = [], index = 0, length = encoded.length, lat = 0, lng = 0;
        while (index < length) {
            var delta = [0, 0];
            for (var k = 0; k < 2; k++) {
                var value = 0, shift = 0, chunk;
                do {
                    if (index >= length || shift > 30) { return null; }
                    chunk = encoded.charCodeAt(index++) - 63;
                    if (chunk < 0 || chunk > 63) { return null; }
                    value |= (chunk & 0x1f) << shift;
                    shift += 5;
                } while (chunk >= 0x20);
                delta[k] = (value & 1) ? ~(value >> 1) : (value >> 1);
            }
            lat += delta[0];
            lng += delta[1];
            if (Math.abs(lat) > 9000000 || Math.abs(lng) > 18000000) { return null; }
            points.push([lat / 1e5, lng / 1e5]);
        }
        return points;
    }

    // ---- request ------------------------------------------------------------

    // Plain decimals: String() would write tiny numbers as "1e-7".
    function coordinate(value) {
        var text = value.toFixed(7).replace(/\.?0+$/, '');
        return text === '-0' ? '0' : text;
    }

    // An address text as given, or "lat,lng" for a LatLng or {lat, lng}
    // literal; null when there is nothing to ask for.
    function placeText(value) {
        var lat, lng;
        if (typeof value === 'string') { return /\S/.test(value) ? value : null; }
        if (!value || typeof value !== 'object') { return null; }
        if (typeof value.lat === 'function' && typeof value.lng === 'function') {
            lat = Number(value.lat());
            lng = Number(value.lng());
        } else {
            lat = Number(value.lat);
            lng = Number(value.lng);
        }
        if (value.lat === null || value.lng === null || !isFinite(lat) || !isFinite(lng) ||
                Math.abs(lat) > 90 || Math.abs(lng) > 180) {
            return null;
        }
        return coordinate(lat) + ',' + coordinate(lng);
    }

    // The query string for a google.maps DirectionsRequest, or null when the
    // request cannot be asked (no origin or destination, text that cannot be
    // URL-encoded such as a lone surrogate).
    function queryString(request) {
        if (!request || typeof request !== 'object') { return null; }
        var origin = placeText(request.origin), destination = placeText(request.destination);
        if (origin === null || destination === null) { return null; }
        var mode = typeof request.travelMode === 'string' && request.travelMode ? request.travelMode.toLowerCase() : 'driving';
        var items = [
            ['sensor', 'false'],
            ['origin', origin],
            ['destination', destination],
            ['mode', mode],
            ['alternatives', request.provideRouteAlternatives === true ? 'true' : 'false'],
            ['units', request.unitSystem === IMPERIAL ? 'imperial' : 'metric']
        ];
        if (request.avoidHighways === true) { items.push(['avoid', 'highways']); }
        if (request.avoidTolls === true) { items.push(['avoid', 'tolls']); }
        try {
            return items.map(function (item) {
                return encodeURIComponent(item[0]) + '=' + encodeURIComponent(item[1]);
            }).join('&');
        } catch (e) {
            return null;
        }
    }

    // ---- fetching -----------------------------------------------------------

    function hasParseError(doc) {
        return !doc || !doc.documentElement || doc.getElementsByTagName('parsererror').length > 0;
    }

    function parseXml(text) {
        if (typeof text !== 'string' || !text) { return null; }
        var doc = new DOMParser().parseFromString(text, 'text/xml');
        return hasParseError(doc) ? null : doc;
    }

    // Status 0 with a body is a page loaded from a file.
    function replyDocument(xhr) {
        var status = xhr.status;
        if (!(status >= 200 && status < 300) && !(status === 0 && xhr.responseText)) { return null; }
        var doc = xhr.responseXML;
        if (doc && !hasParseError(doc)) { return doc; }
        return parseXml(xhr.responseText);
    }

    // GETs `url` and calls done(document) once, or done(null) on a network or
    // HTTP failure, a reply that is not XML, or no answer within timeoutMs.
    // Never calls done before returning.
    function fetchXml(url, timeoutMs, done) {
        var finished = false, returned = false, timer = null, xhr = null;
        function finish(doc) {
            if (finished) { return; }
            finished = true;
            if (timer !== null) {
                clearTimeout(timer);
                timer = null;
            }
            if (returned) {
                done(doc);
            } else {
                setTimeout(function () { done(doc); }, 0);
            }
        }
        try {
            xhr = new XMLHttpRequest();
            xhr.open('GET', url, true);
            xhr.onreadystatechange = function () {
                if (xhr.readyState !== 4 || finished) { return; }
                var doc = null;
                try {
                    doc = replyDocument(xhr);
                } catch (e) {
                    doc = null;
                }
                finish(doc);
            };
            timer = setTimeout(function () {
                timer = null;
                xhr.onreadystatechange = null;
                try { xhr.abort(); } catch (e) { /* already gone */ }
                finish(null);
            }, timeoutMs);
            xhr.send();
        } catch (e) {
            finish(null);
        }
        returned = true;
    }

    // ---- reading the reply --------------------------------------------------

    function children(el, name) {
        var found = [], node;
        for (node = el ? el.firstChild : null; node; node = node.nextSibling) {
            if (node.nodeType === 1 && node.nodeName === name) { found.push(node); }
        }
        return found;
    }

    function child(el, name) {
        return children(el, name)[0] || null;
    }

    function text(el, name) {
        var c = child(el, name);
        return c ? c.textContent.trim() : '';
    }

    function number(el, name) {
        var t = text(el, name);
        return t === '' ? NaN : Number(t);
    }

    // {value, text}; value is null when the reply has no usable number.
    function measure(el, name) {
        var c = child(el, name);
        if (!c) { return null; }
        var value = number(c, 'value');
        return { value: isFinite(value) ? value : null, text: text(c, 'text') };
    }

    function location(el, name, make) {
        var c = child(el, name);
        if (!c) { return null; }
        var lat = number(c, 'lat'), lng = number(c, 'lng');
        if (!isFinite(lat) || !isFinite(lng) || Math.abs(lat) > 90 || Math.abs(lng) > 180) { return null; }
        return make(lat, lng);
    }

    function decodedPath(el, make) {
        var points = decodePolyline(text(el, 'points'));
        return points ? points.map(function (p) { return make(p[0], p[1]); }) : [];
    }

    function parseStep(el, make) {
        var start = location(el, 'start_location', make), end = location(el, 'end_location', make);
        var path = decodedPath(child(el, 'polyline'), make);
        if (!path.length) { path = [start, end].filter(function (p) { return p !== null; }); }
        return {
            travel_mode: text(el, 'travel_mode'),
            instructions: text(el, 'html_instructions'),
            maneuver: text(el, 'maneuver'),
            distance: measure(el, 'distance'),
            duration: measure(el, 'duration'),
            start_location: start || path[0] || null,
            end_location: end || path[path.length - 1] || null,
            path: path
        };
    }

    function parseLeg(el, make) {
        var steps = children(el, 'step').map(function (s) { return parseStep(s, make); });
        var first = steps[0], last = steps[steps.length - 1];
        return {
            steps: steps,
            distance: measure(el, 'distance'),
            duration: measure(el, 'duration'),
            start_location: location(el, 'start_location', make) || (first ? first.start_location : null),
            end_location: location(el, 'end_location', make) || (last ? last.end_location : null),
            start_address: text(el, 'start_address'),
            end_address: text(el, 'end_address')
        };
    }

    function samePoint(a, b) {
        return a.lat() === b.lat() && a.lng() === b.lng();
    }

    // The detailed line of a route: its step paths joined, without repeating
    // the point where one step ends and the next begins.
    function routePath(route) {
        var path = [];
        (route.legs || []).forEach(function (leg) {
            (leg.steps || []).forEach(function (step) {
                (step.path || []).forEach(function (p) {
                    if (!path.length || !samePoint(path[path.length - 1], p)) { path.push(p); }
                });
            });
        });
        return path;
    }

    function parseRoute(el, make, makeBounds) {
        var route = {
            summary: text(el, 'summary'),
            copyrights: text(el, 'copyrights'),
            warnings: children(el, 'warning').map(function (w) { return w.textContent.trim(); }),
            legs: children(el, 'leg').map(function (l) { return parseLeg(l, make); }),
            overview_polyline: text(child(el, 'overview_polyline'), 'points'),
            overview_path: decodedPath(child(el, 'overview_polyline'), make),
            bounds: null
        };
        if (!route.overview_path.length) { route.overview_path = routePath(route); }
        var box = child(el, 'bounds'), sw = location(box, 'southwest', make), ne = location(box, 'northeast', make);
        if (sw && ne) {
            route.bounds = makeBounds(sw, ne);
        } else if (route.overview_path.length) {
            route.bounds = makeBounds(route.overview_path[0], route.overview_path[0]);
            route.overview_path.forEach(function (p) { route.bounds.extend(p); });
        }
        return route;
    }

    // Reads a DirectionsResponse document into {status, routes}, building
    // points with make(lat, lng) and boxes with makeBounds(sw, ne). Null when
    // the document is not a reply with exactly one status word.
    function parseReply(doc, make, makeBounds) {
        var top = doc && doc.documentElement;
        if (!top || hasParseError(doc) || top.nodeName !== 'DirectionsResponse') { return null; }
        var statuses = children(top, 'status');
        if (statuses.length !== 1) { return null; }
        var status = statuses[0].textContent.trim();
        if (!/^[A-Z_]+$/.test(status)) { return null; }
        var routes = status === 'OK' ? children(top, 'route').map(function (r) { return parseRoute(r, make, makeBounds); }) : [];
        return { status: status, routes: routes };
    }

    return {
        PATH: PATH,
        TIMEOUT_MS: TIMEOUT_MS,
        decodePolyline: decodePolyline,
        queryString: queryString,
        parseXml: parseXml,
        fetchXml: fetchXml,
        parseReply: parseReply,
        routePath: routePath
    };
}));
