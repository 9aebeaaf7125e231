// The page of a meter shown in a browser: the digits, the notes and a trend of the last ten
// minutes of each channel, fed by the program's stream of readings. Read-only.
"use strict";

const TEXTS = {
  en: {
    title: "KV27500 meter",
    trend: "Last 10 minutes",
    token: "Token:",
    tokenWrong: "The token was not accepted.",
    lost: "Connection lost; trying again…",
    live: "Live",
    noReadings: "No readings yet",
  },
  de: {
    title: "KV27500-Messgerät",
    trend: "Letzte 10 Minuten",
    token: "Token:",
    tokenWrong: "Das Token wurde nicht angenommen.",
    lost: "Verbindung verloren; neuer Versuch…",
    live: "Live",
    noReadings: "Noch keine Messwerte",
  },
};
const LANG = (navigator.language || "en").toLowerCase().startsWith("de") ? "de" : "en";
const T = TEXTS[LANG];
const KEEP_MS = 10 * 60 * 1000;
const TOKEN_KEY = "kv27500-token";

const channels = []; // {name, block, digits, unit, notes, canvas, points: [{t, v}]}
let drawQueued = false;
let stateQueued = false;

function token() {
  const fromUrl = new URLSearchParams(location.search).get("token");
  if (fromUrl) sessionStorage.setItem(TOKEN_KEY, fromUrl);
  return sessionStorage.getItem(TOKEN_KEY) || "";
}

function api(path, params) {
  const q = new URLSearchParams(params || {});
  const t = token();
  if (t) q.set("token", t);
  const s = q.toString();
  return path + (s ? "?" + s : "");
}

function askToken(wrong) {
  const form = document.getElementById("token-form");
  document.getElementById("token-label").textContent = T.token;
  form.hidden = false;
  if (wrong) document.getElementById("footer").textContent = T.tokenWrong;
  form.onsubmit = (e) => {
    e.preventDefault();
    sessionStorage.setItem(TOKEN_KEY, document.getElementById("token").value.trim());
    location.replace(location.pathname);
  };
}

function element(tag, cls, parent) {
  const e = document.createElement(tag);
  if (cls) e.className = cls;
  if (parent) parent.appendChild(e);
  return e;
}

function channelBlock(i, name) {
  const block = element("section", "channel", document.getElementById("channels"));
  block.id = "channel-" + i;
  const heading = element("h2", "", block);
  heading.textContent = name;
  const readout = element("div", "readout", block);
  const digits = element("span", "digits", readout);
  digits.id = "digits-" + i;
  const unit = element("span", "unit", readout);
  unit.id = "unit-" + i;
  const notes = element("ul", "notes", block);
  notes.id = "notes-" + i;
  const label = element("div", "trend-label", block);
  label.textContent = T.trend;
  const canvas = element("canvas", "", block);
  canvas.id = "trend-" + i;
  canvas.dataset.points = "0";
  return { name, block, digits, unit, notes, canvas, points: [], loaded: false };
}

function showState(state) {
  state.channels.forEach((s, i) => {
    if (!channels[i]) channels[i] = channelBlock(i, s.name);
    const c = channels[i];
    c.digits.textContent = s.digits;
    c.unit.textContent = s.unit;
    c.block.classList.toggle("silent", s.silent);
    c.block.classList.toggle("overload", s.overload);
    const lines = s.notes.length ? s.notes : [];
    c.notes.replaceChildren(...lines.map((n) => {
      const li = document.createElement("li");
      li.textContent = n;
      return li;
    }));
    if (!c.loaded) {
      c.loaded = true;
      loadTrend(i);
    }
  });
}

async function refreshState() {
  stateQueued = false;
  try {
    const r = await fetch(api("/api/state"), { cache: "no-store" });
    if (r.status === 401) {
      askToken(token() !== "");
      return false;
    }
    if (!r.ok) return false;
    showState(await r.json());
    return true;
  } catch (e) {
    return false;
  }
}

function queueState() {
  if (stateQueued) return;
  stateQueued = true;
  setTimeout(refreshState, 20);
}

// The CSV of the record since ten minutes ago, before what the stream has brought.
async function loadTrend(i) {
  const c = channels[i];
  const params = { since: String(Date.now() - KEEP_MS) };
  if (channels.length > 1 || c.name) params.channel = c.name;
  try {
    const r = await fetch(api("/api/readings.csv", params), { cache: "no-store" });
    if (!r.ok) return;
    const lines = (await r.text()).split("\n").slice(1);
    const first = c.points.length ? c.points[0].t : Infinity;
    const older = [];
    for (const line of lines) {
      if (!line) continue;
      const f = line.split(",");
      const t = Date.parse(f[0]);
      if (!(t < first)) continue;
      older.push({ t, v: f[4] === "ok" && f[2] !== "" ? Number(f[2]) : null });
    }
    c.points = older.concat(c.points);
    queueDraw();
  } catch (e) {
    /* the stream still draws */
  }
}

function take(reading) {
  let i = 0;
  if (reading.channel !== undefined) {
    i = channels.findIndex((c) => c.name === reading.channel);
    if (i < 0) return queueState();
  }
  const c = channels[i];
  if (!c) return queueState();
  const t = Date.parse(reading.time);
  c.points.push({ t, v: reading.status === "ok" ? reading.value : null });
  while (c.points.length && c.points[0].t < t - KEEP_MS) c.points.shift();
  queueDraw();
  queueState();
}

function queueDraw() {
  if (drawQueued) return;
  drawQueued = true;
  requestAnimationFrame(() => {
    drawQueued = false;
    channels.forEach(draw);
  });
}

function draw(c) {
  const canvas = c.canvas;
  const ratio = window.devicePixelRatio || 1;
  const w = Math.max(1, Math.round(canvas.clientWidth * ratio));
  const h = Math.max(1, Math.round(canvas.clientHeight * ratio));
  if (canvas.width !== w || canvas.height !== h) {
    canvas.width = w;
    canvas.height = h;
  }
  const g = canvas.getContext("2d");
  const style = getComputedStyle(document.documentElement);
  g.clearRect(0, 0, w, h);
  const now = Math.max(Date.now(), c.points.length ? c.points[c.points.length - 1].t : 0);
  // Up to ten minutes: a shorter run spans the width from its first reading on.
  const from = Math.max(now - KEEP_MS, c.points.length ? c.points[0].t : now - KEEP_MS);
  const span = Math.max(1000, now - from);
  const shown = c.points.filter((p) => p.t >= from);
  const values = shown.filter((p) => p.v !== null && isFinite(p.v)).map((p) => p.v);
  canvas.dataset.points = String(values.length);
  const pad = 6 * ratio;
  g.strokeStyle = style.getPropertyValue("--dim") || "#888";
  g.lineWidth = ratio;
  g.strokeRect(0.5, 0.5, w - 1, h - 1);
  if (!values.length) return;
  let lo = Math.min(...values), hi = Math.max(...values);
  if (hi === lo) { hi += 0.5; lo -= 0.5; }
  const x = (t) => ((t - from) / span) * (w - 2 * pad) + pad;
  const y = (v) => h - pad - ((v - lo) / (hi - lo)) * (h - 2 * pad);
  g.fillStyle = g.strokeStyle;
  g.font = 11 * ratio + "px sans-serif";
  g.fillText(String(hi), pad, pad + 10 * ratio);
  g.fillText(String(lo), pad, h - pad);
  g.strokeStyle = style.getPropertyValue("--accent") || "#0a6";
  g.lineWidth = 2 * ratio;
  g.beginPath();
  let open = false;
  for (const p of shown) {
    if (p.v === null || !isFinite(p.v)) { open = false; continue; }
    if (open) g.lineTo(x(p.t), y(p.v));
    else { g.moveTo(x(p.t), y(p.v)); open = true; }
  }
  g.stroke();
}

function listen() {
  const source = new EventSource(api("/api/stream"));
  const footer = document.getElementById("footer");
  source.onopen = () => { footer.textContent = T.live; };
  source.onmessage = (e) => {
    try { take(JSON.parse(e.data)); } catch (err) { /* not a reading */ }
  };
  source.onerror = () => {
    footer.textContent = T.lost;
    // A stream refused (a token gone stale) is told by the state's answer.
    refreshState();
  };
}

async function main() {
  document.documentElement.lang = LANG;
  document.getElementById("title").textContent = T.title;
  document.title = T.title;
  document.getElementById("link").textContent = location.host;
  while (!(await refreshState())) {
    if (!document.getElementById("token-form").hidden) return;
    await new Promise((done) => setTimeout(done, 2000));
  }
  listen();
  setInterval(refreshState, 1000);
  setInterval(queueDraw, 5000);
  window.addEventListener("resize", queueDraw);
}

main();
