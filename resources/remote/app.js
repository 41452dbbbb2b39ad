/* SPDX-License-Identifier: GPL-3.0-or-later */
// The room remote: the amplifier's levels and modes on a phone, over the remote API
// (remote/remote_api.h). Plain script, no build step, nothing loaded from outside the amplifier
// host, so that it works on a LAN without the internet.
'use strict';

(() => {
  // Every text the page shows, in both of its languages.
  const TEXTS = {
    en: {
      title: 'Room remote',
      modes: 'Modes',
      params: 'Levels',
      noParams: 'No level may be changed from here.',
      logout: 'Sign out',
      pinTitle: 'Enter the PIN',
      pinHint: 'The 6-digit PIN shown beside the amplifier console.',
      passwordTitle: 'Installer password',
      passwordHint: 'The amplifier\'s rights password.',
      signIn: 'Sign in',
      installerLink: 'Installer',
      staffLink: 'Staff PIN',
      pinShort: 'The PIN has 6 digits.',
      passwordEmpty: 'Enter the password.',
      waitSeconds: 'Try again in {s} s.',
      pairing: 'Pairing…',
      pairFailed: 'The pairing link did not work (each link works once).',
      wrongPin: 'Wrong PIN.',
      wrongPassword: 'Wrong password.',
      tooMany: 'Too many wrong tries.',
      ampOnline: 'Amplifier online',
      ampOffline: 'Amplifier offline',
      ampUnknown: 'Amplifier …',
      liveOn: 'live',
      liveOff: 'reconnecting…',
      liveWait: 'reconnecting in {s} s',
      modeOf: 'mode {n}',
      muted: 'Muted',
      modeLoading: 'Loading mode {n}…',
      modeLoaded: 'Mode {n} loaded.',
      serverDown: 'The amplifier host does not answer.',
      requestFailed: 'Request failed ({status}).',
      staff: 'staff',
      installer: 'installer',
    },
    zh: {
      title: '房间遥控',
      modes: '模式',
      params: '音量',
      noParams: '这里没有可调的参数。',
      logout: '退出',
      pinTitle: '输入 PIN 码',
      pinHint: '调音台旁显示的 6 位 PIN 码。',
      passwordTitle: '安装人员密码',
      passwordHint: '功放的权限密码。',
      signIn: '登录',
      installerLink: '安装人员',
      staffLink: '员工 PIN 码',
      pinShort: 'PIN 码为 6 位数字。',
      passwordEmpty: '请输入密码。',
      waitSeconds: '请 {s} 秒后再试。',
      pairing: '正在配对…',
      pairFailed: '配对链接无效(每个链接只能用一次)。',
      wrongPin: 'PIN 码不正确。',
      wrongPassword: '密码不正确。',
      tooMany: '错误次数太多。',
      ampOnline: '功放在线',
      ampOffline: '功放离线',
      ampUnknown: '功放 …',
      liveOn: '实时',
      liveOff: '正在重新连接…',
      liveWait: '{s} 秒后重新连接',
      modeOf: '模式 {n}',
      muted: '静音',
      modeLoading: '正在调用模式 {n}…',
      modeLoaded: '已调用模式 {n}。',
      serverDown: '功放主机没有应答。',
      requestFailed: '请求失败({status})。',
      staff: '员工',
      installer: '安装人员',
    },
  };

  const LANG = String(navigator.language || '').toLowerCase().startsWith('zh') ? 'zh' : 'en';
  const tr = (key, args = {}) =>
    TEXTS[LANG][key].replace(/\{(\w+)\}/g, (_, k) => String(args[k] ?? ''));

  const TOKEN_KEY = 'mirelune.remote.token';
  const MUTE_OFFSET = 250;
  const MUTED_SUFFIX = ' (muted)';  // how a muted value's text ends
  const GAIN_ZERO = 250;  // an EQ band's gain code of 0.0 dB (dB * 10 + 250)

  const $ = (id) => document.getElementById(id);

  const state = {
    token: localStorage.getItem(TOKEN_KEY) || '',
    role: null,
    online: null,       // the amplifier's link, as the server says
    mode: null,
    canLoadModes: false,
    live: false,        // the page's own WebSocket
    liveRetryAt: 0,
    sliders: new Map(), // address -> slider record (see buildParam)
    ws: null,
    wsBackoff: 1000,
    wsTimer: 0,
    wsWaitTimer: 0,
    refreshSeq: 0,
    loginMode: 'pin',
    lockTimer: 0,
  };

  class HttpError extends Error {
    constructor(status, message, retryAfter) {
      super(message);
      this.status = status;
      this.retryAfter = retryAfter;
    }
  }

  // ---- requests -------------------------------------------------------------------------------

  async function api(method, path, body) {
    const headers = {};
    if (state.token) headers.Authorization = 'Bearer ' + state.token;
    if (body !== undefined) headers['Content-Type'] = 'application/json';
    let reply;
    try {
      reply = await fetch(path, {
        method,
        headers,
        body: body === undefined ? undefined : JSON.stringify(body),
        cache: 'no-store',
      });
    } catch (e) {
      throw new HttpError(0, tr('serverDown'));
    }
    let data = null;
    try {
      data = await reply.json();
    } catch (e) {
      data = null;
    }
    if (!reply.ok) {
      const text = (data && typeof data.error === 'string' && data.error) ||
                   tr('requestFailed', { status: reply.status });
      const retry = parseInt(reply.headers.get('Retry-After') || '', 10);
      const err = new HttpError(reply.status, text, Number.isFinite(retry) ? retry : 0);
      // A dead token on any call but the sign-in itself: back to the PIN.
      if (reply.status === 401 && path !== '/api/v1/session') signedOut();
      throw err;
    }
    return data || {};
  }

  // ---- messages and the state line ------------------------------------------------------------

  let messageTimer = 0;
  function showMessage(text, isError) {
    const m = $('message');
    m.textContent = text;
    m.classList.toggle('error', !!isError);
    m.hidden = false;
    clearTimeout(messageTimer);
    messageTimer = setTimeout(() => { m.hidden = true; }, isError ? 6000 : 2500);
  }

  function renderState() {
    const el = $('state');
    if (!state.token) {
      el.textContent = '';
      el.className = '';
      return;
    }
    const amp = state.online === null ? tr('ampUnknown')
              : state.online ? tr('ampOnline') : tr('ampOffline');
    let live;
    if (state.live) {
      live = tr('liveOn');
    } else if (state.liveRetryAt > Date.now()) {
      live = tr('liveWait', { s: Math.ceil((state.liveRetryAt - Date.now()) / 1000) });
    } else {
      live = tr('liveOff');
    }
    const parts = [amp];
    if (state.online && state.mode) parts.push(tr('modeOf', { n: state.mode }));
    parts.push(live);
    el.textContent = parts.join(' · ');
    el.className = (state.online && state.live) ? 'ok' : state.online === false ? 'bad' : 'warn';
    el.dataset.amp = state.online === null ? 'unknown' : state.online ? 'online' : 'offline';
    el.dataset.live = state.live ? 'online' : 'offline';
    document.body.classList.toggle('amp-offline', state.online === false);
    for (const s of state.sliders.values()) s.input.disabled = state.online === false;
    for (const b of $('modes').querySelectorAll('button')) b.disabled = state.online === false;
  }

  // ---- parameters -----------------------------------------------------------------------------

  function isBand(p) { return p.value === null && p.band && typeof p.band === 'object'; }

  function bandGainText(gain) {
    const db = (gain - GAIN_ZERO) / 10;
    return (db > 0 ? '+' : '') + db.toFixed(1) + ' dB';
  }

  // What the slider shows: the level without the mute flag.
  function sliderLevel(rec, value) {
    return rec.muteOffset && value >= rec.muteOffset ? value - rec.muteOffset : value;
  }

  // A level in % up to 200 moves as the console's slider does: the first two thirds of the
  // travel reach 100 % (the signal as it comes in), the last third doubles it. A slider that
  // showed 100 % at mid-travel would read as full volume.
  function doublesAbove100(p) { return p.unit === '%' && p.min === 0 && p.max === 200; }
  function toPosition(rec, level) { return rec.doubles && level > 100 ? Math.round((level + 100) / 2) : level; }
  function toLevel(rec, position) { return rec.doubles && position > 100 ? 2 * position - 100 : position; }
  function setRange(rec, p) {
    rec.doubles = doublesAbove100(p);
    rec.input.min = String(p.min);
    rec.input.max = String(rec.doubles ? toPosition(rec, p.max) : p.max);
  }

  function paramName(p) {
    return (LANG === 'zh' ? p.name : p.name_en) || p.name || p.name_en || String(p.address);
  }

  // The page a parameter belongs to ("Mic 1/2"), shown where its name alone is not enough.
  function showKinds(params) {
    const count = new Map();
    for (const p of params) count.set(paramName(p), (count.get(paramName(p)) || 0) + 1);
    for (const p of params) {
      const rec = state.sliders.get(p.address);
      if (!rec) continue;
      const kind = (LANG === 'zh' ? p.kind : p.kind_en) || p.kind || p.kind_en || '';
      rec.kindEl.textContent = count.get(paramName(p)) > 1 ? kind : '';
      rec.kindEl.hidden = rec.kindEl.textContent === '';
    }
  }

  function buildParam(p) {
    const band = isBand(p);
    const card = document.createElement('div');
    card.className = 'param';
    card.dataset.param = String(p.address);

    const head = document.createElement('div');
    head.className = 'param-head';
    const title = document.createElement('div');
    title.className = 'param-title';
    const kind = document.createElement('span');
    kind.className = 'param-kind';
    const label = document.createElement('label');
    label.className = 'param-name';
    label.htmlFor = 'param-' + p.address;
    label.textContent = paramName(p);
    title.append(kind, label);
    const mute = document.createElement('span');
    mute.className = 'mute';
    mute.textContent = tr('muted');
    mute.dataset.muteFor = String(p.address);
    mute.hidden = true;
    const value = document.createElement('output');
    value.className = 'param-value';
    value.dataset.valueFor = String(p.address);
    value.htmlFor = 'param-' + p.address;
    head.append(title, mute, value);

    const input = document.createElement('input');
    input.type = 'range';
    input.id = 'param-' + p.address;
    input.dataset.address = String(p.address);
    input.step = '1';

    card.append(head, input);

    const rec = {
      address: p.address,
      band,
      unit: p.unit || '',
      muteOffset: p.mute_offset === MUTE_OFFSET ? MUTE_OFFSET : 0,
      value: null,        // the device value last known (band: the gain code)
      text: '',           // and its text
      muted: false,
      card, input, label, kindEl: kind, valueEl: value, muteEl: mute,
      dragging: false,
      inFlight: false,
      pending: null,      // the device value to send when the request in flight returns
      doubles: false,     // positions beyond 100 % double (setRange)
    };
    setRange(rec, p);
    state.sliders.set(p.address, rec);
    applyParam(rec, p);

    const startDrag = () => { rec.dragging = true; };
    const endDrag = () => { rec.dragging = false; settle(rec); };
    input.addEventListener('pointerdown', startDrag);
    input.addEventListener('pointerup', endDrag);
    input.addEventListener('pointercancel', endDrag);
    input.addEventListener('input', () => {
      rec.dragging = true;
      showFill(rec);
      moved(rec);
    });
    input.addEventListener('change', () => {
      moved(rec);
      endDrag();
    });
    return card;
  }

  function showValue(rec, text) {
    const unit = rec.unit && !text.includes(rec.unit) ? ' ' + rec.unit : '';
    rec.valueEl.textContent = text + unit;
  }

  // The track left of the thumb is filled (a range input's own look has no such part in every
  // browser).
  function showFill(rec) {
    const min = Number(rec.input.min), max = Number(rec.input.max);
    const f = max > min ? (Number(rec.input.value) - min) / (max - min) : 0;
    rec.input.style.setProperty('--fill', (Math.max(0, Math.min(1, f)) * 100).toFixed(2) + '%');
  }

  function showMute(rec) {
    rec.muteEl.hidden = !rec.muted;
    rec.card.classList.toggle('muted', rec.muted);
  }

  // What the server says a parameter holds: [device value, text], or null for a message
  // without one (a band's value is its gain code).
  function reported(rec, p) {
    if (rec.band) {
      const g = p.band && typeof p.band === 'object' ? p.band.gain : undefined;
      return typeof g === 'number' ? [g, bandGainText(g)] : null;
    }
    if (typeof p.value !== 'number') return null;
    let text = typeof p.text === 'string' && p.text !== '' ? p.text : String(p.value);
    // The mute mark says it in the page's language.
    if (text.endsWith(MUTED_SUFFIX)) text = text.slice(0, -MUTED_SUFFIX.length);
    return [p.value, text];
  }

  // Takes a parameter as the server reports it (PARAM, a change event, a PUT's reply). While
  // the user holds the slider or its requests are under way, only the record learns it: the
  // hand wins over the echoes of its own drag, and settle() shows the last word afterwards.
  function applyParam(rec, p) {
    const r = reported(rec, p);
    if (!r) return;
    [rec.value, rec.text] = r;
    if (!busy(rec)) show(rec);
  }

  function busy(rec) { return rec.dragging || rec.inFlight || rec.pending !== null; }

  function show(rec) {
    if (rec.value === null) return;
    rec.muted = rec.muteOffset !== 0 && rec.value >= rec.muteOffset;
    rec.input.value = String(toPosition(rec, sliderLevel(rec, rec.value)));
    showFill(rec);
    showValue(rec, rec.text);
    showMute(rec);
  }

  // The device value a slider position stands for: the mute flag stays as it is.
  function deviceValue(rec) {
    const level = toLevel(rec, Number(rec.input.value));
    return rec.muted ? level + rec.muteOffset : level;
  }

  // At most one request per slider; the newest position goes out when it returns.
  function moved(rec) {
    const v = deviceValue(rec);
    if (rec.inFlight) {
      rec.pending = v;
      return;
    }
    send(rec, v);
  }

  async function send(rec, v) {
    rec.inFlight = true;
    rec.pending = null;
    const body = {};
    body[String(rec.address)] = rec.band ? { gain: v } : v;
    let reply = null;
    try {
      reply = await api('PUT', '/api/v1/params', body);
    } catch (e) {
      if (e.status !== 401) showMessage(e.message, true);
    }
    rec.inFlight = false;
    if (reply && Array.isArray(reply.params)) {
      for (const p of reply.params) {
        const r = state.sliders.get(p.address);
        if (r) applyParam(r, p);
      }
    }
    if (rec.pending !== null && rec.pending !== v) {
      send(rec, rec.pending);
      return;
    }
    rec.pending = null;
    settle(rec);
  }

  // Once the hand is off and nothing is under way, the slider shows what the device holds.
  function settle(rec) {
    if (!busy(rec)) show(rec);
  }

  function sameList(params) {
    if (params.length !== state.sliders.size) return false;
    let i = 0;
    for (const [address, rec] of state.sliders) {
      const p = params[i++];
      if (p.address !== address || isBand(p) !== rec.band) return false;
    }
    return true;
  }

  function renderParams(params) {
    if (sameList(params)) {
      // The same sliders: updated in place, so that one under the user's finger stays there.
      for (const p of params) {
        const rec = state.sliders.get(p.address);
        setRange(rec, p);
        rec.unit = p.unit || '';
        rec.muteOffset = p.mute_offset === MUTE_OFFSET ? MUTE_OFFSET : 0;
        rec.label.textContent = paramName(p);
        applyParam(rec, p);
      }
    } else {
      const box = $('params');
      state.sliders.clear();
      box.textContent = '';
      for (const p of params) box.append(buildParam(p));
    }
    showKinds(params);
    $('no-params').hidden = params.length > 0;
    renderState();
  }

  // ---- modes ----------------------------------------------------------------------------------

  function renderModes(modes) {
    const box = $('modes');
    box.textContent = '';
    for (const m of modes) {
      const b = document.createElement('button');
      b.type = 'button';
      b.className = 'mode';
      b.dataset.mode = String(m.number);
      const num = document.createElement('span');
      num.className = 'mode-number';
      num.textContent = String(m.number);
      const name = document.createElement('span');
      name.className = 'mode-name';
      name.textContent = m.name || '';
      b.append(num, name);
      b.addEventListener('click', () => loadMode(m.number));
      box.append(b);
    }
    highlightMode();
  }

  function highlightMode() {
    for (const b of $('modes').querySelectorAll('button[data-mode]')) {
      const current = Number(b.dataset.mode) === state.mode;
      b.classList.toggle('current', current);
      b.setAttribute('aria-pressed', current ? 'true' : 'false');
    }
  }

  async function loadMode(n) {
    showMessage(tr('modeLoading', { n }), false);
    for (const b of $('modes').querySelectorAll('button')) b.classList.add('busy');
    try {
      const r = await api('POST', '/api/v1/modes/' + n + '/load');
      state.mode = typeof r.mode === 'number' ? r.mode : n;
      highlightMode();
      renderState();
      showMessage(tr('modeLoaded', { n: state.mode }), false);
      await refreshParams();
    } catch (e) {
      if (e.status !== 401) showMessage(e.message, true);
    } finally {
      for (const b of $('modes').querySelectorAll('button')) b.classList.remove('busy');
    }
  }

  // ---- reading the whole state ----------------------------------------------------------------

  async function refreshParams() {
    const seq = ++state.refreshSeq;
    const r = await api('GET', '/api/v1/params');
    if (seq !== state.refreshSeq) return;  // a newer read is on its way
    renderParams(Array.isArray(r.params) ? r.params : []);
  }

  async function refresh() {
    try {
      const dev = await api('GET', '/api/v1/device');
      state.role = dev.role || null;
      state.online = typeof dev.online === 'boolean' ? dev.online : null;
      state.mode = typeof dev.mode === 'number' ? dev.mode : null;
      state.canLoadModes = !!dev.can_load_modes;
      showMain();
      const jobs = [refreshParams()];
      if (state.canLoadModes) {
        jobs.push(api('GET', '/api/v1/modes').then((m) => {
          if (typeof m.mode === 'number') state.mode = m.mode;
          renderModes(Array.isArray(m.modes) ? m.modes : []);
        }));
      }
      $('modes-section').hidden = !state.canLoadModes;
      await Promise.all(jobs);
      renderState();
      return true;
    } catch (e) {
      if (e.status !== 401) showMessage(e.message, true);
      return e.status !== 401 && e.status !== 0;
    }
  }

  // ---- the live events ------------------------------------------------------------------------

  function connectEvents() {
    clearTimeout(state.wsTimer);
    clearInterval(state.wsWaitTimer);
    if (!state.token || state.ws) return;
    const scheme = location.protocol === 'https:' ? 'wss:' : 'ws:';
    const url = scheme + '//' + location.host + '/api/v1/events?token=' +
                encodeURIComponent(state.token);
    let ws;
    try {
      ws = new WebSocket(url);
    } catch (e) {
      scheduleReconnect();
      return;
    }
    state.ws = ws;
    ws.onopen = () => {
      state.live = true;
      state.wsBackoff = 1000;
      renderState();
    };
    ws.onmessage = (ev) => {
      let msg;
      try { msg = JSON.parse(ev.data); } catch (e) { return; }
      if (msg && typeof msg === 'object') onEvent(msg);
    };
    ws.onclose = () => {
      if (state.ws !== ws) return;
      state.ws = null;
      state.live = false;
      renderState();
      scheduleReconnect();
    };
    ws.onerror = () => {};  // onclose follows
  }

  // Back-off doubling to 30 s, with a little jitter so that many phones do not return at once.
  function scheduleReconnect() {
    if (!state.token) return;
    const delay = Math.min(state.wsBackoff, 30000) * (0.8 + Math.random() * 0.4);
    state.wsBackoff = Math.min(state.wsBackoff * 2, 30000);
    state.liveRetryAt = Date.now() + delay;
    renderState();
    clearInterval(state.wsWaitTimer);
    state.wsWaitTimer = setInterval(renderState, 1000);
    clearTimeout(state.wsTimer);
    state.wsTimer = setTimeout(async () => {
      clearInterval(state.wsWaitTimer);
      state.liveRetryAt = 0;
      renderState();
      // A plain request first: it tells a dead token (401 -> PIN) from a host that is away.
      const ok = await refresh();
      if (!state.token) return;
      if (ok) connectEvents(); else scheduleReconnect();
    }, delay);
  }

  let sawHello = false;
  function onEvent(msg) {
    switch (msg.type) {
      case 'hello': {
        if ('online' in msg) state.online = !!msg.online;
        if ('mode' in msg) state.mode = typeof msg.mode === 'number' ? msg.mode : null;
        highlightMode();
        renderState();
        // Whatever changed while no events came: read it again (not on the first one, which
        // follows the read of the page's start).
        if (sawHello) refreshParams().catch(() => {});
        sawHello = true;
        break;
      }
      case 'change': {
        const rec = state.sliders.get(msg.address);
        if (rec) applyParam(rec, msg);
        break;
      }
      case 'link': {
        const was = state.online;
        state.online = !!msg.online;
        if ('mode' in msg) state.mode = typeof msg.mode === 'number' ? msg.mode : null;
        highlightMode();
        renderState();
        if (state.online && was === false) refresh();
        break;
      }
      case 'mode': {
        if (typeof msg.mode === 'number') state.mode = msg.mode;
        highlightMode();
        renderState();
        refreshParams().catch(() => {});
        break;
      }
      default:
        break;
    }
  }

  // ---- signing in and out ---------------------------------------------------------------------

  function setToken(token) {
    state.token = token || '';
    if (state.token) localStorage.setItem(TOKEN_KEY, state.token);
    else localStorage.removeItem(TOKEN_KEY);
  }

  function signedOut() {
    setToken('');
    if (state.ws) {
      const ws = state.ws;
      state.ws = null;
      ws.close();
    }
    clearTimeout(state.wsTimer);
    clearInterval(state.wsWaitTimer);
    state.live = false;
    state.online = null;
    state.sliders.clear();
    $('params').textContent = '';
    $('modes').textContent = '';
    sawHello = false;
    showLogin();
  }

  function showMain() {
    $('login').hidden = true;
    $('main').hidden = false;
    $('logout').hidden = false;
  }

  function showLogin(error, detail) {
    $('main').hidden = true;
    $('logout').hidden = true;
    $('login').hidden = false;
    setLoginMode(state.loginMode);
    loginError(error, detail);
    renderState();
    (state.loginMode === 'pin' ? $('pin') : $('password')).focus();
  }

  function setLoginMode(mode) {
    state.loginMode = mode;
    const pin = mode === 'pin';
    $('pin-row').hidden = !pin;
    $('password-row').hidden = pin;
    $('login-title').textContent = tr(pin ? 'pinTitle' : 'passwordTitle');
    $('login-hint').textContent = tr(pin ? 'pinHint' : 'passwordHint');
    $('installer').textContent = tr(pin ? 'installerLink' : 'staffLink');
    loginError('');
  }

  // The page's own sentence, and under it the server's words when they say something else.
  function loginError(text, detail) {
    $('login-error').textContent = text || '';
    $('login-detail').textContent = detail && detail !== text ? detail : '';
  }

  // A refused sign-in in the page's language: [sentence, the server's text]. A wrong secret
  // and too many tries are said by the page alone: the server's English words would only say
  // the same again.
  function refusal(e, what) {
    if (e.status === 401) return [tr(what), ''];
    if (e.status === 429) return [tr('tooMany'), ''];
    return [e.message, ''];
  }

  // 429: the wait counts down on the form, and the button waits with it.
  function lockFor(seconds, text, detail) {
    clearInterval(state.lockTimer);
    const until = Date.now() + seconds * 1000;
    const submit = $('pin-submit');
    const tick = () => {
      const left = Math.ceil((until - Date.now()) / 1000);
      if (left <= 0) {
        clearInterval(state.lockTimer);
        submit.disabled = false;
        loginError(text, detail);
        return;
      }
      submit.disabled = true;
      loginError(text + ' ' + tr('waitSeconds', { s: left }), detail);
    };
    tick();
    state.lockTimer = setInterval(tick, 1000);
  }

  async function signIn(body) {
    const r = await api('POST', '/api/v1/session', body);
    if (typeof r.token !== 'string' || r.token === '') throw new HttpError(500, tr('requestFailed', { status: 200 }));
    setToken(r.token);
    state.role = r.role || null;
    state.wsBackoff = 1000;
    await start();
  }

  async function onLoginSubmit(ev) {
    ev.preventDefault();
    const pin = state.loginMode === 'pin';
    let body;
    if (pin) {
      const v = $('pin').value.replace(/\s+/g, '');
      if (!/^[0-9]{6}$/.test(v)) {
        loginError(tr('pinShort'));
        return;
      }
      body = { pin: v };
    } else {
      const v = $('password').value;
      if (v === '') {
        loginError(tr('passwordEmpty'));
        return;
      }
      body = { password: v };
    }
    $('pin-submit').disabled = true;
    loginError('');
    try {
      await signIn(body);
      $('pin').value = '';
      $('password').value = '';
      $('pin-submit').disabled = false;
    } catch (e) {
      $('pin-submit').disabled = false;
      const [text, detail] = refusal(e, pin ? 'wrongPin' : 'wrongPassword');
      if (e.status === 429) lockFor(e.retryAfter || 60, text, detail);
      else loginError(text, detail);
      (pin ? $('pin') : $('password')).select();
    }
  }

  async function logout() {
    try { await api('DELETE', '/api/v1/session'); } catch (e) { /* gone either way */ }
    signedOut();
  }

  async function start() {
    if (!state.token) {
      showLogin();
      return;
    }
    if (await refresh()) connectEvents();
    else if (state.token) scheduleReconnect();
  }

  async function boot() {
    document.documentElement.lang = LANG === 'zh' ? 'zh-CN' : 'en';
    document.title = tr('title');
    for (const el of document.querySelectorAll('[data-text]')) el.textContent = tr(el.dataset.text);
    $('pin-form').addEventListener('submit', onLoginSubmit);
    $('pin').addEventListener('input', () => {
      const digits = $('pin').value.replace(/[^0-9]/g, '').slice(0, 6);
      if (digits !== $('pin').value) $('pin').value = digits;
    });
    $('installer').addEventListener('click', (ev) => {
      ev.preventDefault();
      setLoginMode(state.loginMode === 'pin' ? 'password' : 'pin');
      (state.loginMode === 'pin' ? $('pin') : $('password')).focus();
    });
    $('logout').addEventListener('click', logout);

    const pair = /^#pair=([^&]+)/.exec(location.hash);
    if (pair) {
      // The code works once: off the address bar before anything else, so that a reload or a
      // bookmark does not offer it again.
      history.replaceState(null, '', location.pathname + location.search);
      $('state').textContent = tr('pairing');
      try {
        await signIn({ pair: decodeURIComponent(pair[1]) });
        return;
      } catch (e) {
        // A token from before may still be good.
        if (state.token) {
          showMessage(tr('pairFailed') + ' ' + e.message, true);
          await start();
          return;
        }
        const [text, detail] = refusal(e, 'pairFailed');
        showLogin(text, detail);
        if (e.status === 429) lockFor(e.retryAfter || 60, text, detail);
        return;
      }
    }
    await start();
  }

  boot();
})();
