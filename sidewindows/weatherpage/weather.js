// The weather page: fills the frame from its configuration, fetches the
// forecast and draws the days from today on, or says why it cannot.
// Everything it writes goes through textContent or fixed SVG.
(function () {
  'use strict';
  var C = {};
  try {
    C = JSON.parse(document.getElementById('config').textContent) || {};
  } catch (e) {
    C = {mode: 'note', note: '无法显示天气预报'};
  }
  var NS = 'http://www.w3.org/2000/svg';
  var WEEK = ['周日', '周一', '周二', '周三', '周四', '周五', '周六'];
  var NEAR = ['今天', '明天', '后天'];
  var DAY_MS = 86400000;

  function $(id) { return document.getElementById(id); }
  function el(tag, cls, text) {
    var e = document.createElement(tag);
    if (cls) e.className = cls;
    if (text !== undefined) e.textContent = text;
    return e;
  }

  // WMO weather interpretation codes -> description and picture.
  function describe(code) {
    var t = {0: ['晴', 'sun'], 1: ['晴间多云', 'partly'], 2: ['多云', 'partly'], 3: ['阴', 'cloud'],
      45: ['雾', 'fog'], 48: ['雾凇', 'fog'], 51: ['小毛毛雨', 'drizzle'], 53: ['毛毛雨', 'drizzle'],
      55: ['大毛毛雨', 'drizzle'], 56: ['冻毛毛雨', 'sleet'], 57: ['冻毛毛雨', 'sleet'],
      61: ['小雨', 'rain'], 63: ['中雨', 'rain'], 65: ['大雨', 'rain'], 66: ['冻雨', 'sleet'],
      67: ['冻雨', 'sleet'], 71: ['小雪', 'snow'], 73: ['中雪', 'snow'], 75: ['大雪', 'snow'],
      77: ['米雪', 'snow'], 80: ['小阵雨', 'rain'], 81: ['阵雨', 'rain'], 82: ['强阵雨', 'rain'],
      85: ['小阵雪', 'snow'], 86: ['阵雪', 'snow'], 95: ['雷阵雨', 'thunder'],
      96: ['雷阵雨伴冰雹', 'thunder'], 99: ['雷阵雨伴冰雹', 'thunder']};
    return t[code] || ['未知', 'cloud'];
  }

  function svg(tag, attrs) {
    var e = document.createElementNS(NS, tag);
    for (var k in attrs) e.setAttribute(k, attrs[k]);
    return e;
  }
  function sun(g, cx, cy, r) {
    for (var i = 0; i < 8; i++) {
      var a = i * Math.PI / 4;
      g.appendChild(svg('line', {x1: cx + Math.cos(a) * (r + 3), y1: cy + Math.sin(a) * (r + 3),
        x2: cx + Math.cos(a) * (r + 7), y2: cy + Math.sin(a) * (r + 7),
        stroke: '#f59f00', 'stroke-width': 2.4, 'stroke-linecap': 'round'}));
    }
    g.appendChild(svg('circle', {cx: cx, cy: cy, r: r, fill: '#fcc419', stroke: '#f59f00',
      'stroke-width': 1.5}));
  }
  function cloud(g, dx, dy, fill) {
    g.appendChild(svg('path', {d: 'M' + (12 + dx) + ' ' + (34 + dy) +
      'a8 8 0 0 1 1-15.9a11 11 0 0 1 21-2.6a8.5 8.5 0 0 1 3 18.5z',
      fill: fill, stroke: '#74859b', 'stroke-width': 1.5, 'stroke-linejoin': 'round'}));
  }
  function icon(kind) {
    var s = svg('svg', {viewBox: '0 0 46 46', 'class': 'icon'});
    if (kind === 'sun') { sun(s, 23, 23, 9); return s; }
    if (kind === 'partly') { sun(s, 17, 16, 7); cloud(s, 2, 4, '#ffffff'); return s; }
    if (kind === 'fog') {
      cloud(s, 0, -4, '#e9eef4');
      for (var f = 0; f < 3; f++)
        s.appendChild(svg('line', {x1: 9 + f * 2, y1: 35 + f * 4, x2: 38 - f * 2, y2: 35 + f * 4,
          stroke: '#8e9cad', 'stroke-width': 2, 'stroke-linecap': 'round'}));
      return s;
    }
    cloud(s, 0, -4, kind === 'cloud' ? '#dfe5ec' : '#c9d3de');
    if (kind === 'rain' || kind === 'drizzle' || kind === 'sleet') {
      var n = kind === 'drizzle' ? 2 : 3;
      for (var i = 0; i < n; i++)
        s.appendChild(svg('line', {x1: 16 + i * 7, y1: 34, x2: 13 + i * 7, y2: 42,
          stroke: '#1c7ed6', 'stroke-width': 2.2, 'stroke-linecap': 'round'}));
    }
    if (kind === 'snow' || kind === 'sleet') {
      var xs = kind === 'sleet' ? [33] : [15, 23, 31];
      xs.forEach(function (x, j) {
        s.appendChild(svg('circle', {cx: x, cy: 37 + (j % 2) * 4, r: 2.2, fill: '#74c0fc'}));
      });
    }
    if (kind === 'thunder')
      s.appendChild(svg('path', {d: 'M24 29l-5 8h5l-3 7l8-10h-5l3-5z', fill: '#fab005',
        stroke: '#e67700', 'stroke-width': 1, 'stroke-linejoin': 'round'}));
    return s;
  }

  function temperature(v) { return Math.round(v) + '°' + C.unit; }

  // State: 'loading', 'shown', 'failed' (with 重试) or 'unknown' (nothing to ask for).
  function showNote(text, state, retry) {
    var days = $('days'); days.textContent = ''; days.hidden = true;
    var note = $('note'); note.textContent = ''; note.hidden = false;
    note.appendChild(el('div', 'msg', text));
    if (retry) {
      var b = el('button', 'retry', '重试');
      b.id = 'retry';
      b.addEventListener('click', retry);
      note.appendChild(b);
    }
    document.body.setAttribute('data-state', state);
  }

  // "yyyy-mm-dd" as a day count, or NaN.
  function dayNumber(text) {
    var m = /^(\d{4})-(\d{2})-(\d{2})$/.exec(String(text));
    if (!m) return NaN;
    var ms = Date.UTC(Number(m[1]), Number(m[2]) - 1, Number(m[3]));
    var back = new Date(ms);
    if (back.getUTCMonth() !== Number(m[2]) - 1 || back.getUTCDate() !== Number(m[3])) return NaN;
    return ms / DAY_MS;
  }

  // The answer's entries for today and the days after it, picked by their
  // dates (an answer may start before today), or null when one is missing
  // or unusable.
  function pickDays(j) {
    var d = j && j.daily;
    if (!d || !Array.isArray(d.time)) return null;
    var codes = d.weather_code || d.weathercode;
    var hi = d.temperature_2m_max, lo = d.temperature_2m_min;
    if (!Array.isArray(codes) || !Array.isArray(hi) || !Array.isArray(lo)) return null;
    var today = dayNumber(C.today);
    if (!isFinite(today)) return null;
    var picked = [];
    for (var i = 0; i < d.time.length; i++) {
      var offset = dayNumber(d.time[i]) - today;
      if (!(offset >= 0 && offset < C.days) || picked[offset]) continue;
      var code = codes[i], max = hi[i], min = lo[i];
      if (typeof code !== 'number' || !isFinite(code)) return null;
      if (typeof max !== 'number' || !isFinite(max)) return null;
      if (typeof min !== 'number' || !isFinite(min)) return null;
      picked[offset] = {day: today + offset, code: code, max: max, min: min};
    }
    for (var k = 0; k < C.days; k++)
      if (!picked[k]) return null;
    return picked;
  }

  function show(picked) {
    var days = $('days'); days.textContent = '';
    picked.forEach(function (p, offset) {
      var date = new Date(p.day * DAY_MS);
      var d = describe(p.code);
      var row = el('div', 'day');
      var when = el('div', 'when');
      when.appendChild(el('div', 'date', (date.getUTCMonth() + 1) + '月' + date.getUTCDate() + '日'));
      when.appendChild(el('div', 'week', (offset < NEAR.length ? NEAR[offset] + ' ' : '') +
        WEEK[date.getUTCDay()]));
      row.appendChild(when);
      row.appendChild(icon(d[1]));
      var what = el('div', 'what');
      what.appendChild(el('div', 'desc', d[0]));
      var t = el('div', 'temp');
      t.appendChild(el('span', 'lo', temperature(p.min)));
      t.appendChild(document.createTextNode(' ~ '));
      t.appendChild(el('span', 'hi', temperature(p.max)));
      what.appendChild(t);
      row.appendChild(what);
      days.appendChild(row);
    });
    $('note').hidden = true;
    days.hidden = false;
    document.body.setAttribute('data-state', 'shown');
  }

  // The body as JSON, read as a stream and given up as soon as it passes
  // C.maxBytes (whatever its Content-Length says, or without one).
  function readJson(response, controller) {
    if (!response.ok) throw new Error('HTTP ' + response.status);
    var declared = response.headers.get('Content-Length');
    if (declared !== null && Number(declared) > C.maxBytes) throw new Error('too large');
    if (!response.body) throw new Error('no body');
    var reader = response.body.getReader();
    var parts = [], total = 0;
    function next() {
      return reader.read().then(function (chunk) {
        if (chunk.done) return;
        total += chunk.value.byteLength;
        if (total > C.maxBytes) {
          reader.cancel();
          controller.abort();
          throw new Error('too large');
        }
        parts.push(chunk.value);
        return next();
      });
    }
    return next().then(function () {
      var all = new Uint8Array(total), at = 0;
      parts.forEach(function (p) { all.set(p, at); at += p.byteLength; });
      return JSON.parse(new TextDecoder('utf-8', {fatal: true}).decode(all));
    });
  }

  var busy = false;
  function load() {
    if (busy) return;
    busy = true;
    showNote('正在获取天气数据…', 'loading');
    var controller = new AbortController();
    var timer = setTimeout(function () { controller.abort(); }, C.timeoutMs);
    // One day more on each side: the service's "today" may differ from the
    // program's by a day near midnight.
    var url = C.api + '?latitude=' + C.latitude + '&longitude=' + C.longitude +
      '&daily=weather_code,temperature_2m_max,temperature_2m_min' +
      '&timezone=Asia%2FShanghai&past_days=1&forecast_days=' + (C.days + 1) +
      (C.unit === 'F' ? '&temperature_unit=fahrenheit' : '');
    fetch(url, {signal: controller.signal, cache: 'no-store', credentials: 'omit'})
      .then(function (r) { return readJson(r, controller); })
      .then(function (j) {
        var picked = pickDays(j);
        if (!picked) throw new Error('unusable');
        show(picked);
      })
      .catch(function () {
        controller.abort();
        showNote('暂时无法获取天气数据', 'failed', load);
      })
      .then(function () { clearTimeout(timer); busy = false; });
  }

  $('city').textContent = C.title || '天气预报';
  $('sub').textContent = C.subtitle || '';
  if (C.mode === 'forecast') {
    load();
  } else if (C.mode === 'unreachable') {
    $('foot').hidden = true; // no forecast was asked for
    showNote(C.note || '无法连接天气服务', 'failed', function () {
      window.location.href = C.retry;
    });
  } else {
    showNote(C.note || '无法显示天气预报', 'unknown');
  }
})();
