// The part of the OSRM adapter that runs in node: it reads OSRM's answer,
// words its steps with osrm-text-instructions and joins their geometry.
// A long answer (400 steps, 80,000 points) is too much for Python to parse
// and decode in time; node does it in a few milliseconds.
//
// A long-lived child of the map service. A request is one JSON header line,
// {"kind": "route" | "steps", "language": "en", "options": {...}, "bytes": N},
// followed by N bytes: OSRM's answer ("route") or a JSON array of steps
// ("steps"). The answer is one JSON line: for "steps" {"texts": [...]}; for
// "route" {"code", "message"} and, when the code is "Ok", "routes": each
// {"distance", "duration", "summary", "overview", "bounds": [s, w, n, e],
// "steps": [{"type", "modifier", "driving_side", "start", "end", "geometry",
// "distance", "duration", "name", "text"}]}; {"error": "..."} when unreadable.
// Texts are HTML: names escaped, the words that matter in <b>.
'use strict';

// stdout carries the answers only; the library logs unknown step types with console.log.
console.log = console.error;

const path = require('path');

const library = path.join(__dirname, '..', '..', 'node_modules', 'osrm-text-instructions');
const compiler = require(library)('v5');
const languages = require(path.join(library, 'languages')).supportedCodes;

const BOLD = new Set(['way_name', 'rotary_name', 'destination', 'exit', 'exit_number',
  'direction', 'waypoint_name']);

function escape(text) {
  return String(text).replace(/&/g, '&amp;').replace(/</g, '&lt;').replace(/>/g, '&gt;');
}

// The way name is made of its name and ref tokens, already escaped here.
function formatToken(token, value) {
  const text = token === 'way_name' ? String(value) : escape(value);
  return BOLD.has(token) && text ? '<b>' + text + '</b>' : text;
}

function wording(language, step, options) {
  try {
    return compiler.compile(language, step, Object.assign({}, options, {formatToken: formatToken}));
  } catch (e) {
    return null;   // a step the library cannot word
  }
}

// Encoded polyline: values in 1e-5 degrees, as (lat, lng) deltas.
function decode(text) {
  const values = [];
  let result = 0, shift = 0;
  const last = [0, 0];
  for (let i = 0; i < text.length; i++) {
    const b = text.charCodeAt(i) - 63;
    if (b < 0 || b > 63) throw new Error('not a polyline');
    result |= (b & 0x1f) << shift;
    shift += 5;
    if (b < 0x20) {
      const k = values.length % 2;
      last[k] += (result & 1) ? ~(result >> 1) : (result >> 1);
      values.push(last[k]);
      result = shift = 0;
      if (values.length === 2) values.firstLength = i + 1;
    }
  }
  if (shift !== 0 || values.length % 2) throw new Error('truncated polyline');
  return values;
}

function encodeValue(value) {
  let v = value < 0 ? ~(value << 1) : value << 1, out = '';
  while (v >= 0x20) {
    out += String.fromCharCode((0x20 | (v & 0x1f)) + 63);
    v >>= 5;
  }
  return out + String.fromCharCode(v + 63);
}

// One route: its steps worded, each step's end, the box around all points
// and, unless OSRM gave one, the overview made of the steps' polylines
// (each step starts where the last one ended).
function convertRoute(route, language) {
  const box = [Infinity, Infinity, -Infinity, -Infinity];
  const steps = [];
  let overview = '', previous = null;
  route.legs.forEach((leg, legIndex) => {
    for (const step of leg.steps) {
      const geometry = String(step.geometry || '');
      const values = decode(geometry);
      const n = values.length;
      for (let i = 0; i < n; i += 2) {
        box[0] = Math.min(box[0], values[i]);
        box[1] = Math.min(box[1], values[i + 1]);
        box[2] = Math.max(box[2], values[i]);
        box[3] = Math.max(box[3], values[i + 1]);
      }
      if (n && previous === null) {
        overview = geometry;
      } else if (n) {
        const dLat = values[0] - previous[0], dLng = values[1] - previous[1];
        const rest = geometry.slice(values.firstLength);
        overview += (dLat || dLng) ? encodeValue(dLat) + encodeValue(dLng) + rest : rest;
      }
      if (n) previous = [values[n - 2], values[n - 1]];
      const first = (step.intersections || [])[0] || {};
      const options = {legCount: route.legs.length, legIndex: legIndex, classes: first.classes};
      steps.push({
        type: step.maneuver.type, modifier: step.maneuver.modifier || null,
        driving_side: step.driving_side || 'right',
        start: [step.maneuver.location[1], step.maneuver.location[0]],
        end: n ? [values[n - 2] / 1e5, values[n - 1] / 1e5] : null,
        geometry: geometry, distance: Number(step.distance), duration: Number(step.duration),
        name: step.name || '', text: wording(language, step, options),
      });
    }
  });
  return {
    distance: Number(route.distance), duration: Number(route.duration),
    summary: route.legs.map((leg) => leg.summary || '').filter((s) => s).join(', '),
    overview: typeof route.geometry === 'string' ? route.geometry : overview,
    bounds: previous === null ? null : box.map((v) => v / 1e5),
    steps: steps,
  };
}

// How deep a parsed value nests, counted up to limit + 1.
function depth(value, limit) {
  let deepest = 0;
  const open = [[value, 1]];
  while (open.length && deepest <= limit) {
    const [item, d] = open.pop();
    deepest = Math.max(deepest, d);
    if (item === null || typeof item !== 'object') continue;
    for (const key in item) {
      const child = item[key];
      if (child !== null && typeof child === 'object') open.push([child, d + 1]);
    }
  }
  return deepest;
}

// Why an answer is beyond what the service takes (header.max_depth,
// max_routes, max_steps of one route), or null.
function beyondCaps(data, header) {
  if (header.max_depth && depth(data, header.max_depth) > header.max_depth) {
    return 'JSON nested deeper than ' + header.max_depth;
  }
  const routes = data !== null && Array.isArray(data.routes) ? data.routes : [];
  if (header.max_routes && routes.length > header.max_routes) {
    return routes.length + ' routes, more than ' + header.max_routes;
  }
  for (const route of routes) {
    let steps = 0;
    for (const leg of (route && Array.isArray(route.legs) ? route.legs : [])) {
      steps += leg && Array.isArray(leg.steps) ? leg.steps.length : 0;
    }
    if (header.max_steps && steps > header.max_steps) {
      return 'a route of ' + steps + ' steps, more than ' + header.max_steps;
    }
  }
  return null;
}

function answer(header, body) {
  const language = languages.indexOf(header.language) >= 0 ? header.language : 'en';
  let data;
  try {
    data = JSON.parse(body);
  } catch (e) {
    return {error: 'not JSON'};
  }
  try {
    if (header.kind === 'steps') {
      return {texts: data.map((step) => wording(language, step, header.options || {}))};
    }
    const refused = beyondCaps(data, header);
    if (refused) return {refused: refused};
    const reply = {code: String(data.code), message: String(data.message || '')};
    if (data.code === 'Ok') reply.routes = data.routes.map((r) => convertRoute(r, language));
    return reply;
  } catch (e) {
    return {error: String(e.message)};
  }
}

// Header line, then exactly "bytes" bytes of body; requests come one at a time.
let chunks = [], length = 0, header = null;
process.stdin.on('data', (chunk) => {
  chunks.push(chunk);
  length += chunk.length;
  for (;;) {
    let buffer = Buffer.concat(chunks, length);
    if (header === null) {
      const newline = buffer.indexOf(10);
      if (newline < 0) break;
      try {
        header = JSON.parse(buffer.subarray(0, newline).toString('utf8'));
      } catch (e) {
        header = {bytes: 0, broken: true};
      }
      buffer = buffer.subarray(newline + 1);
    }
    const size = Math.max(0, Number(header.bytes) || 0);
    if (buffer.length < size) {
      chunks = [buffer];
      length = buffer.length;
      break;
    }
    const reply = header.broken ? {error: 'unreadable request'}
      : answer(header, buffer.subarray(0, size).toString('utf8'));
    process.stdout.write(JSON.stringify(reply) + '\n');
    buffer = buffer.subarray(size);
    chunks = [buffer];
    length = buffer.length;
    header = null;
  }
});
