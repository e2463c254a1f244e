// Skywell's web page: manages the running instance through its JSON API.
// Every text that comes from the server goes into the page as text
// (textContent, attributes), never as markup.
"use strict";

const state = {
  csrf: "",
  shows: [],
  running: [],
  editing: null, // the name of the Show being edited; null while adding
  statusTimer: 0,
  skew: 0, // milliseconds the server's clock is ahead of this one
  polls: 0,
  shown: { shows: "", recordings: "" }, // what the lists show, to redraw only on change
};

const $ = (id) => document.getElementById(id);

// el("li", {class: "x"}, child, "text", ...): an element with attributes
// and children; strings become text nodes.
function el(tag, attributes, ...children) {
  const node = document.createElement(tag);
  for (const [key, value] of Object.entries(attributes || {})) {
    if (value === undefined || value === null || value === false) continue;
    if (key.startsWith("on")) node.addEventListener(key.slice(2), value);
    else if (value === true) node.setAttribute(key, "");
    else node.setAttribute(key, String(value));
  }
  for (const child of children) {
    if (child === null || child === undefined) continue;
    node.append(typeof child === "string" ? document.createTextNode(child) : child);
  }
  return node;
}

function say(id, text) {
  const node = $(id);
  node.textContent = text || "";
}

// ---- talking to the server -------------------------------------------

class NeedLogin extends Error {}

// Fetches a JSON reply. Answers with {ok, status, body}; a 401 shows the
// login form. A POST carries the session's CSRF token; when the token went
// stale (403) it is fetched again and the request repeated once.
async function call(path, body, retried) {
  const options = { credentials: "same-origin", headers: {} };
  if (body !== undefined) {
    options.method = "POST";
    options.headers["Content-Type"] = "application/json";
    options.headers["X-Skywell-CSRF"] = state.csrf;
    options.body = JSON.stringify(body);
  }
  const response = await fetch(path, options);
  if (response.status === 401) {
    showLogin();
    throw new NeedLogin();
  }
  if (response.status === 403 && body !== undefined && !retried) {
    await loadSession();
    return call(path, body, true);
  }
  let reply = null;
  try {
    reply = await response.json();
  } catch (e) {
    reply = null;
  }
  return { ok: response.ok, status: response.status, body: reply, date: response.headers.get("Date") };
}

// The reply's data, whether the server wraps it ({status, message, data})
// or not.
function dataOf(reply) {
  if (!reply || !reply.body) return {};
  return reply.body.data && typeof reply.body.data === "object" ? reply.body.data : reply.body;
}

function messageOf(reply) {
  if (reply && reply.body && typeof reply.body.message === "string" && reply.body.message) return reply.body.message;
  return reply && reply.ok ? "" : "Skywell did not answer the request (HTTP " + (reply ? reply.status : "?") + ").";
}

// Runs a command; shows the server's message in the element `where`.
async function command(path, args, where) {
  say(where, "");
  let reply;
  try {
    reply = await call(path, args);
  } catch (e) {
    if (!(e instanceof NeedLogin)) say(where, "Skywell cannot be reached.");
    return null;
  }
  if (!reply.ok) {
    say(where, messageOf(reply));
    return null;
  }
  notice(messageOf(reply));
  return reply;
}

let noticeTimer = 0;
function notice(text) {
  const node = $("notice");
  node.textContent = text || "";
  node.hidden = !text;
  clearTimeout(noticeTimer);
  if (text) noticeTimer = setTimeout(() => (node.hidden = true), 6000);
}

async function loadSession() {
  const response = await fetch("/api/session", { credentials: "same-origin" });
  const session = response.ok ? await response.json() : {};
  state.csrf = session.csrf || "";
  return session;
}

// ---- login -----------------------------------------------------------

function showLogin() {
  clearTimeout(state.statusTimer);
  $("app").hidden = true;
  $("login").hidden = false;
  $("login-password").focus();
}

async function logIn(event) {
  event.preventDefault();
  say("login-message", "");
  const response = await fetch("/api/login", {
    method: "POST",
    credentials: "same-origin",
    headers: { "Content-Type": "application/json", "X-Skywell-CSRF": state.csrf },
    body: JSON.stringify({ password: $("login-password").value }),
  }).catch(() => null);
  if (!response || !response.ok) {
    let text = "The password is not right.";
    try {
      const reply = await response.json();
      if (reply && reply.message) text = reply.message;
    } catch (e) {
      // keep the plain text
    }
    say("login-message", response ? text : "Skywell cannot be reached.");
    return;
  }
  $("login-password").value = "";
  start();
}

// ---- Shows -------------------------------------------------------------

const dayNames = { mon: "Mon", tue: "Tue", wed: "Wed", thu: "Thu", fri: "Fri", sat: "Sat", sun: "Sun" };

function when(iso) {
  if (!iso) return "";
  const date = new Date(iso);
  if (isNaN(date)) return String(iso);
  return date.toLocaleString(undefined, { weekday: "short", month: "short", day: "numeric", hour: "numeric", minute: "2-digit" });
}

function scheduleText(show) {
  const length = show.length ? " for " + show.length + " min" : "";
  const at = show.at ? " at " + show.at : "";
  if (show.schedule === "once") return "Once on " + (show.once || "?") + at + length;
  if (show.schedule === "weekly") {
    const days = (show.weekly || []).map((d) => dayNames[d] || d).join(", ");
    return "Every " + (days || "no day") + at + length;
  }
  return "Unscheduled";
}

// Without a password a feed needs no token; with one the server's list
// names each feed with its token.
function feedUrl(name) {
  return "/feed/" + encodeURIComponent(name) + ".xml";
}

function renderShows() {
  // Redrawn only when something changed, so that focus and selection stay.
  const key = JSON.stringify([state.shows, state.running.map((r) => r.show)]);
  if (key === state.shown.shows) return;
  state.shown.shows = key;
  const list = $("shows");
  list.replaceChildren();
  const recording = new Set(state.running.map((r) => r.show));
  for (const show of state.shows) {
    const busy = show.recording === true || recording.has(show.name);
    const item = el(
      "li",
      { class: "show", "data-name": show.name },
      el("div", { class: "title" }, el("strong", { class: "name" }, show.name)),
      el("div", { class: "detail schedule" }, scheduleText(show)),
      show.next ? el("div", { class: "detail next" }, "Next recording: " + when(show.next)) : null,
      show.lastStatus ? el("div", { class: "detail status" }, show.lastStatus) : null,
      el(
        "div",
        { class: "buttons" },
        busy
          ? el("button", { type: "button", class: "stop", onclick: () => stop(show.name, "shows-message") }, "Stop")
          : el("button", { type: "button", class: "record", onclick: () => record(show.name) }, "Record Now"),
        el("button", { type: "button", class: "edit plain", onclick: () => openEditor(show) }, "Edit"),
        el("button", { type: "button", class: "remove plain", onclick: () => remove(show.name) }, "Remove"),
        el("a", { class: "feed", href: show.feed || feedUrl(show.name) }, "Podcast feed")
      )
    );
    list.append(item);
  }
  $("no-shows").hidden = state.shows.length > 0;
}

async function loadShows() {
  let reply;
  try {
    reply = await call("/api/shows");
  } catch (e) {
    if (!(e instanceof NeedLogin)) say("shows-message", "Skywell cannot be reached.");
    return;
  }
  if (!reply.ok) {
    say("shows-message", messageOf(reply));
    return;
  }
  say("shows-message", "");
  const data = dataOf(reply);
  state.shows = data.shows || [];
  // The server gives each feed's address, with its token when a password
  // is set.
  if (data.feed) $("feed-all").href = data.feed;
  renderShows();
}

async function record(name) {
  if (await command("/api/record", { name: name }, "shows-message")) pollStatus();
}

async function stop(name, where) {
  if (await command("/api/stop", name ? { name: name } : {}, where)) {
    pollStatus();
    loadRecordings();
  }
}

async function remove(name) {
  if (!confirm("Remove the Show \u201c" + name + "\u201d?")) return;
  if (await command("/api/shows/remove", { name: name }, "shows-message")) loadShows();
}

// ---- the Show form -------------------------------------------------------

function radios() {
  return document.querySelectorAll('#show-form input[name="schedule"]');
}

function scheduleKind() {
  for (const radio of radios()) if (radio.checked) return radio.value;
  return "unscheduled";
}

// As in the Show editor: the date for a single recording, the days for a
// repeating one, no time at all for an unscheduled one.
function enableScheduleFields() {
  const kind = scheduleKind();
  $("f-once").disabled = kind !== "once";
  for (const box of document.querySelectorAll('#f-days input')) box.disabled = kind !== "weekly";
  $("f-at").disabled = kind === "unscheduled";
}

function inMinutes(date) {
  const next = new Date(date.getTime() + 60000);
  const pad = (n) => String(n).padStart(2, "0");
  return {
    day: next.getFullYear() + "-" + pad(next.getMonth() + 1) + "-" + pad(next.getDate()),
    time: pad(next.getHours()) + ":" + pad(next.getMinutes()),
  };
}

// Opens the form for a Show (editing) or for a new one, filled from `show`
// (a station found, or nothing).
function openEditor(show, adding) {
  const editing = show && !adding;
  state.editing = editing ? show.name : null;
  const values = show || {};
  const soon = inMinutes(new Date());
  say("editor-title", editing ? "Edit Show" : "Add Show");
  say("form-message", "");
  $("f-name").value = values.name || "";
  $("f-name").readOnly = !!editing;
  $("f-url").value = values.url || "";
  $("f-source").value = values.source || "stream";
  // A Show made in the window may have an output the page does not offer
  // for new Shows: it is kept as it is.
  const output = values.output || "mp3-fm";
  if (!Array.from($("f-output").options).some((o) => o.value === output)) {
    $("f-output").append(el("option", { value: output }, output));
  }
  $("f-output").value = output;
  const kind = values.schedule || "unscheduled";
  for (const radio of radios()) radio.checked = radio.value === kind;
  $("f-once").value = values.once || soon.day;
  const days = new Set(values.weekly || []);
  for (const box of document.querySelectorAll('#f-days input')) box.checked = days.has(box.value);
  $("f-at").value = values.at || soon.time;
  $("f-length").value = values.length || 60;
  $("f-split-titles").checked = !!values["split-titles"];
  const every = Number(values["split-every"]) || 0;
  $("f-split").checked = every > 0;
  $("f-split-every").value = every > 0 ? every : "";
  $("f-split-every").disabled = every <= 0;
  $("f-mute").checked = !!values.mute;
  enableScheduleFields();
  $("editor").hidden = false;
  (editing ? $("f-url") : $("f-name")).focus();
}

function closeEditor() {
  $("editor").hidden = true;
  state.editing = null;
  $("add-show").focus();
}

// The form as the command's arguments: strings, flags as true or false.
function formArguments() {
  const args = {
    name: state.editing !== null ? state.editing : $("f-name").value.trim(),
    url: $("f-url").value.trim(),
    source: $("f-source").value,
    output: $("f-output").value,
    length: $("f-length").value.trim(),
    "split-titles": $("f-split-titles").checked,
    "split-every": $("f-split").checked ? $("f-split-every").value.trim() : "0",
    mute: $("f-mute").checked,
  };
  const kind = scheduleKind();
  if (kind === "once") args.once = $("f-once").value;
  if (kind === "weekly") {
    args.weekly = Array.from(document.querySelectorAll('#f-days input:checked'), (box) => box.value).join(",");
  }
  if (kind === "unscheduled") args.unscheduled = true;
  else args.at = $("f-at").value;
  return args;
}

async function saveShow(event) {
  event.preventDefault();
  const path = state.editing !== null ? "/api/shows/edit" : "/api/shows";
  const reply = await command(path, formArguments(), "form-message");
  if (!reply) {
    $("form-message").scrollIntoView({ block: "nearest" });
    return;
  }
  closeEditor();
  loadShows();
}

// ---- running recordings ----------------------------------------------------

function clock(seconds) {
  seconds = Math.max(0, Math.floor(seconds));
  const h = Math.floor(seconds / 3600);
  const m = Math.floor((seconds % 3600) / 60);
  const s = seconds % 60;
  const two = (n) => String(n).padStart(2, "0");
  return (h ? h + ":" + two(m) : String(m)) + ":" + two(s);
}

function size(bytes) {
  bytes = Number(bytes) || 0;
  if (bytes >= 1e9) return (bytes / 1e9).toFixed(2) + " GB";
  if (bytes >= 1e6) return (bytes / 1e6).toFixed(1) + " MB";
  if (bytes >= 1e3) return Math.round(bytes / 1e3) + " kB";
  return bytes + " bytes";
}

// One entry per running recording; entries are updated in place so that
// the keyboard focus stays on a Stop button while the times move.
function runningItem(run) {
  const item = el(
    "li",
    { class: "running", "data-name": run.show },
    el("div", { class: "title" }, el("strong", { class: "name" }, run.show)),
    el("div", { class: "detail" }, "Recording for ", el("span", { class: "elapsed" }), el("span", { class: "until" }), ", ", el("span", { class: "bytes" })),
    el("div", { class: "level" }, el("span", {}, "Level"), el("meter", { min: 0, max: 1, value: 0, "aria-label": "Level of " + run.show })),
    el("div", { class: "buttons" }, el("button", { type: "button", class: "stop", onclick: () => stop(run.show, "shows-message") }, "Stop"))
  );
  item.showName = run.show;
  return item;
}

function renderRunning(status) {
  const list = $("running");
  const old = new Map(Array.from(list.children, (item) => [item.showName, item]));
  const items = [];
  for (const run of state.running) {
    const item = old.get(run.show) || runningItem(run);
    const since = new Date(run.since);
    const elapsed = isNaN(since) ? 0 : (Date.now() + state.skew - since.getTime()) / 1000;
    item.querySelector(".elapsed").textContent = clock(elapsed);
    item.querySelector(".until").textContent = run.until ? " until " + when(run.until) : "";
    item.querySelector(".bytes").textContent = size(run.bytes);
    item.querySelector("meter").value = Math.min(1, Math.max(0, Number(run.level) || 0));
    items.push(item);
  }
  for (const item of old.values()) if (!items.includes(item)) item.remove();
  items.forEach((item, i) => {
    if (list.children[i] !== item) list.insertBefore(item, list.children[i] || null);
  });
  $("nothing-running").hidden = state.running.length > 0;
  const next = status.next;
  say("next", next && next.show ? "Next: " + next.show + ", " + when(next.at) : "");
}

// Asks for the status every second. When a recording starts or ends the
// Show list and the recordings are asked for again.
async function pollStatus() {
  clearTimeout(state.statusTimer);
  try {
    const reply = await call("/api/status");
    // The elapsed time is counted on the server's clock, which the page's
    // device may not share; the Date header is good to a second.
    const date = Date.parse(reply.date || "");
    if (!isNaN(date)) state.skew = Math.abs(date - Date.now()) > 2000 ? date - Date.now() : 0;
    if (reply.ok) {
      const status = dataOf(reply);
      const before = state.running.map((r) => r.show).sort().join("\n");
      state.running = status.running || [];
      const after = state.running.map((r) => r.show).sort().join("\n");
      renderRunning(status);
      // A recording that started or ended changes the Show list and the
      // recordings; finished tracks are written a moment after the end, and
      // other clients change things too: both lists are asked for again
      // every few seconds.
      state.polls += 1;
      if (before !== after || state.polls % 5 === 0) {
        renderShows();
        loadShows();
        loadRecordings();
      }
    }
  } catch (e) {
    if (e instanceof NeedLogin) return;
    // Skywell quit or the network is gone: asked again until it answers.
    notice("Skywell cannot be reached.");
  }
  state.statusTimer = setTimeout(pollStatus, 1000);
}

// ---- recordings ---------------------------------------------------------

function fileUrl(file) {
  return "/recordings/" + encodeURIComponent(file);
}

function play(recording) {
  const player = $("player");
  player.src = fileUrl(recording.file);
  say("playing", "Playing: " + recording.file);
  $("player-box").hidden = false;
  player.play().catch(() => {});
}

async function deleteRecording(recording) {
  if (!confirm("Delete the recording \u201c" + recording.file + "\u201d? It cannot be brought back.")) return;
  const player = $("player");
  if (player.src.endsWith(fileUrl(recording.file))) {
    player.pause();
    player.removeAttribute("src");
    player.load();
    $("player-box").hidden = true;
  }
  if (await command("/api/recordings/delete", { file: recording.file }, "recordings-message")) loadRecordings();
}

function renderRecordings(recordings) {
  const key = JSON.stringify([recordings, state.shows.map((s) => [s.name, s.feed])]);
  if (key === state.shown.recordings) return;
  state.shown.recordings = key;
  const box = $("recordings");
  box.replaceChildren();
  const byShow = new Map();
  for (const recording of recordings) {
    const show = recording.show || "";
    if (!byShow.has(show)) byShow.set(show, []);
    byShow.get(show).push(recording);
  }
  const shows = Array.from(byShow.keys()).sort((a, b) => a.localeCompare(b));
  for (const show of shows) {
    const items = byShow.get(show).sort((a, b) => String(b.date).localeCompare(String(a.date)));
    const list = el("ul", { class: "items" });
    for (const recording of items) {
      list.append(
        el(
          "li",
          { class: "recording", "data-file": recording.file },
          el("div", { class: "title" }, el("strong", { class: "date" }, when(recording.date) || recording.file)),
          el("div", { class: "detail file" }, recording.file),
          el("div", { class: "detail" }, size(recording.bytes) + (recording.seconds > 0 ? ", " + clock(recording.seconds) : "")),
          el(
            "div",
            { class: "buttons" },
            el("button", { type: "button", class: "play", onclick: () => play(recording) }, "Play"),
            el("a", { class: "download", href: fileUrl(recording.file), download: recording.file }, "Download"),
            el("button", { type: "button", class: "delete plain", onclick: () => deleteRecording(recording) }, "Delete")
          )
        )
      );
    }
    const heading = el("div", { class: "heading" }, el("h3", {}, show || "Other recordings"));
    const known = state.shows.find((s) => s.name === show);
    if (show) heading.append(el("a", { class: "feed", href: (known && known.feed) || feedUrl(show) }, "Podcast feed"));
    box.append(el("section", { class: "group", "data-show": show }, heading, list));
  }
  $("no-recordings").hidden = recordings.length > 0;
}

async function loadRecordings() {
  try {
    const reply = await call("/api/recordings");
    if (!reply.ok) {
      say("recordings-message", messageOf(reply));
      return;
    }
    say("recordings-message", "");
    renderRecordings(dataOf(reply).recordings || []);
  } catch (e) {
    if (!(e instanceof NeedLogin)) say("recordings-message", "Skywell cannot be reached.");
  }
}

// ---- station search -----------------------------------------------------

async function searchStations(event) {
  event.preventDefault();
  const list = $("stations");
  list.replaceChildren();
  say("stations-message", "Searching\u2026");
  let reply;
  try {
    reply = await call("/api/stations?q=" + encodeURIComponent($("station-query").value.trim()));
  } catch (e) {
    if (!(e instanceof NeedLogin)) say("stations-message", "Skywell cannot be reached.");
    return;
  }
  if (!reply.ok) {
    say("stations-message", messageOf(reply));
    return;
  }
  const data = dataOf(reply);
  const stations = Array.isArray(reply.body) ? reply.body : data.stations || [];
  say("stations-message", stations.length ? "" : "No station found.");
  for (const station of stations) {
    const url = station.url_resolved || station.url || station.address || "";
    const about = [station.codec, station.bitrate ? station.bitrate + " kbit/s" : "", station.tags].filter(Boolean).join(", ");
    list.append(
      el(
        "li",
        { class: "station" },
        el("div", { class: "title" }, el("strong", { class: "name" }, station.name || url)),
        about ? el("div", { class: "detail" }, about) : null,
        el(
          "div",
          { class: "buttons" },
          el("button", { type: "button", onclick: () => openEditor({ name: station.name || "", url: url }, true) }, "Add as Show")
        )
      )
    );
  }
}

// ---- start ------------------------------------------------------------------

async function start() {
  let session;
  try {
    session = await loadSession();
  } catch (e) {
    notice("Skywell cannot be reached.");
    return;
  }
  if (session.passwordRequired && !session.loggedIn) {
    showLogin();
    return;
  }
  $("login").hidden = true;
  $("app").hidden = false;
  await loadShows();
  loadRecordings();
  pollStatus();
}

document.addEventListener("DOMContentLoaded", () => {
  $("login-form").addEventListener("submit", logIn);
  $("add-show").addEventListener("click", () => openEditor(null));
  $("show-form").addEventListener("submit", saveShow);
  $("f-cancel").addEventListener("click", closeEditor);
  $("editor").addEventListener("keydown", (event) => {
    if (event.key === "Escape") closeEditor();
  });
  for (const radio of radios()) radio.addEventListener("change", enableScheduleFields);
  $("f-split").addEventListener("change", () => {
    $("f-split-every").disabled = !$("f-split").checked;
    if ($("f-split").checked) $("f-split-every").focus();
  });
  $("station-form").addEventListener("submit", searchStations);
  start();
});
