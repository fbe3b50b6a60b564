"use strict";
// ZEB's page: the window's controls on a phone. The state comes as a frame at every engine
// tick; each control sends its change, the newest one per control, one at a time.

const TOGGLES = ["LPT", "COM", "USB FTDI", "KEYBOARD", "USB-D 3", "USB-D 8", "AUTO", "DMX"];
const CHANNELS = 12;
const BANDS = 32;
const $ = (id) => document.getElementById(id);
const el = (tag, props = {}, ...children) => {
  const node = Object.assign(document.createElement(tag), props);
  for (const [key, value] of Object.entries(props.attrs || {})) node.setAttribute(key, value);
  node.append(...children);
  return node;
};

// The token has been exchanged for a cookie: it leaves the address bar (and the history).
if (location.search.includes("token=")) history.replaceState(null, "", "/");

const sending = new Map();  // control key -> {busy, next}
let lastEdit = new Map();   // control -> time of the user's last change
let seenMessage = 0;

function note(text, bad) {
  const box = el("div", {}, text);
  if (!bad) box.style.borderColor = "#4a4";
  $("messages").prepend(box);
  setTimeout(() => box.remove(), 6000);
}

async function post(change) {
  const response = await fetch("/change", {
    method: "POST", headers: {"Content-Type": "application/json"},
    body: JSON.stringify(change), credentials: "same-origin"});
  let answer = {};
  try { answer = await response.json(); } catch (e) { /* an empty answer */ }
  if (!response.ok) note(answer.error || "refused (" + response.status + ")", true);
  return answer;
}

// Sends the change for `key`; while one is on its way only the newest waits behind it.
function send(key, change) {
  const slot = sending.get(key) || {busy: false, next: null};
  sending.set(key, slot);
  if (slot.busy) { slot.next = change; return; }
  slot.busy = true;
  post(change).catch(() => note("the program does not answer", true)).finally(() => {
    slot.busy = false;
    const next = slot.next;
    slot.next = null;
    if (next) send(key, next);
  });
}

function edited(control) { lastEdit.set(control, Date.now()); }
// A control the user is moving keeps the user's value until the program has caught up.
function busy(control) {
  return document.activeElement === control && Date.now() - (lastEdit.get(control) || 0) < 1500;
}
function setValue(control, value) {
  if (!busy(control) && control.value !== String(value)) control.value = value;
}

function fillSelect(select, list) {
  const texts = list.entries;
  const same = select.options.length === texts.length &&
    texts.every((text, i) => select.options[i].text === text);
  if (!same) select.replaceChildren(...texts.map((text, i) => el("option", {value: i}, text)));
  if (!busy(select)) select.value = list.index >= 0 ? String(list.index) : "";
  if (list.index < 0) select.selectedIndex = -1;
}

// A lamp in its channel's colour, dimmed to a quarter while dark, as in the window.
function lampColour(hex, lit) {
  const rgb = [0, 2, 4].map((at) => parseInt(hex.slice(at, at + 2), 16) * (lit ? 1 : 0.25) | 0);
  return `rgb(${rgb.join(", ")})`;
}

function build() {
  for (const name of TOGGLES) {
    const button = el("button", {type: "button", id: "toggle-" + name,
      attrs: {"aria-label": name, "aria-pressed": "false"}}, name);
    button.onclick = () => send("toggle-" + name, {do: "toggle", name});
    $("toggles").append(button);
  }
  for (let i = 0; i < BANDS; i++) $("spectrum").append(el("div"));
  for (let i = 0; i < CHANNELS; i++) {
    const band = el("select", {id: "band" + i, attrs: {"aria-label": `Channel ${i} band`}});
    for (let b = 0; b < BANDS; b++) band.append(el("option", {value: b}, String(b)));
    // One step above the last band: the channel follows the beat.
    band.append(el("option", {value: BANDS}, "B"));
    band.onchange = () => { edited(band); send("band" + i, {do: "band", channel: i, value: +band.value}); };
    const threshold = el("input", {type: "range", min: 0, max: 25, id: "threshold" + i,
      attrs: {"aria-label": `Channel ${i} threshold`}});
    threshold.oninput = () => {
      edited(threshold);
      send("threshold" + i, {do: "threshold", channel: i, value: +threshold.value});
    };
    const lamp = el("span", {className: "lamp", id: "lamp" + i,
      attrs: {role: "checkbox", "aria-readonly": "true", "aria-checked": "false",
              "aria-label": `Channel ${i} lamp`}});
    const autoLevel = el("small", {id: "auto" + i, attrs: {"aria-label": `Channel ${i} auto level`}});
    const colour = el("input", {type: "color", id: "colour" + i,
      attrs: {"aria-label": `Channel ${i} colour`}});
    colour.oninput = () => {
      edited(colour);
      send("colour" + i, {do: "colour", channel: i, text: colour.value.slice(1).toUpperCase()});
    };
    $("channels").append(el("div", {className: "channel"}, el("span", {}, "CH " + i), band, lamp,
      colour, threshold, autoLevel));
  }
  const slider = (id, what) => {
    $(id).oninput = () => { edited($(id)); send(id, {do: what, value: +$(id).value}); };
  };
  slider("level", "level");
  slider("gain", "gain");
  const pick = (id, what) => {
    $(id).onchange = () => { edited($(id)); send(id, {do: what, index: +$(id).value}); };
  };
  pick("speed", "speed");
  pick("devices", "device");
  pick("inputs", "input");
  pick("lpt", "lpt");
  pick("dmxLayout", "dmx-layout");
  $("tempo").onclick = () => send("tempo", {do: "tap"});
  $("lptAdd").onclick = () => {
    const text = $("lptNew").value.trim();
    if (!text) return note("type an address first", true);
    send("lptAdd", {do: "lpt-add", text});
    $("lptNew").value = "";
  };
  $("lptDel").onclick = () => send("lptDel", {do: "lpt-delete"});
  const typed = (id, what) => {
    $(id).oninput = () => edited($(id));
    $(id).onchange = () => { edited($(id)); send(id, {do: what, text: $(id).value.trim()}); };
  };
  typed("com", "com-type");
  typed("dmxUniverse", "dmx-universe");
  typed("dmxAddress", "dmx-address");
  typed("delay", "delay");
  $("save").onclick = async () => {
    const answer = await post({do: "save"});
    if (answer.saved) note("Saved", false);
  };
  $("newToken").onclick = async () => {
    if (!confirm("Make a new access token? Every other page and every address given out " +
                 "before stops working.")) return;
    const answer = await post({do: "new-token"});
    if (answer.address) note("New address: " + answer.address, false);
  };
}

function render(state) {
  TOGGLES.forEach((name) => $("toggle-" + name).setAttribute("aria-pressed", String(state.toggles[name])));
  const bars = $("spectrum").children;
  state.spectrum.forEach((level, i) => {
    bars[i].style.height = Math.min(100, Math.max(0, level) * 100 / 32) + "%";
  });
  state.channels.forEach((channel, i) => {
    setValue($("band" + i), channel.beat ? BANDS : channel.band);
    setValue($("threshold" + i), channel.threshold);
    const lamp = $("lamp" + i);
    lamp.classList.toggle("lit", channel.lit);
    lamp.setAttribute("aria-checked", String(channel.lit));
    lamp.style.setProperty("--colour", lampColour(channel.colour, channel.lit));
    setValue($("colour" + i), "#" + channel.colour.toLowerCase());
    // A beat channel ignores its threshold, as the window's greyed slider says.
    $("threshold" + i).disabled = channel.beat;
    $("auto" + i).textContent = state.toggles.AUTO ? "auto " + channel.auto : "";
  });
  setValue($("level"), state.level);
  setValue($("gain"), state.gain);
  $("meterLeft").value = state.meters[0];
  $("meterRight").value = state.meters[1];
  fillSelect($("speed"), state.speed);
  fillSelect($("devices"), state.devices);
  fillSelect($("inputs"), state.inputs);
  fillSelect($("lpt"), state.lpt);
  setValue($("com"), state.com.text);
  const ports = state.com.entries.map((text) => el("option", {value: text}));
  if ($("comPorts").options.length !== ports.length) $("comPorts").replaceChildren(...ports);
  setValue($("dmxUniverse"), state.dmx.universe);
  setValue($("dmxAddress"), state.dmx.address);
  fillSelect($("dmxLayout"), state.dmx.layout);
  setValue($("delay"), state.delay);
  $("tempo").textContent = "BPM " + state.tempo;
  const problems = [];
  if (state.captureLost) problems.push("capture lost: waiting for the sound input");
  else if (!state.capturing) problems.push("no sound input");
  if (state.oladLost) problems.push("olad lost");
  $("state").textContent = problems.length ? problems.join("; ") :
    state.silent ? "input silent (only channel 0 lit)" : "sound";
  $("state").classList.toggle("bad", problems.length > 0);
  $("outputs").textContent = "Outputs: " + state.outputs;
  for (const message of state.messages) {
    if (message.number <= seenMessage) continue;
    seenMessage = message.number;
    const box = el("div", {attrs: {role: "alertdialog", "aria-label": message.title || "ZEB"}},
      message.text, el("small", {}, message.detail));
    const ok = el("button", {type: "button"}, "OK");
    ok.onclick = () => box.remove();
    box.append(ok);
    $("messages").append(box);
  }
}

// The whole state comes first and whenever more than the live part changed; every other
// tick brings only what ticks change, merged into the state last shown.
let shown = null;
function merged(frame) {
  if (!frame.live) return frame;
  if (!shown) return null;
  const {live, lit, auto, ...rest} = frame;
  lit.forEach((on, i) => Object.assign(shown.channels[i], {lit: on, auto: auto[i]}));
  return Object.assign(shown, rest);
}

function connect() {
  const events = new EventSource("/events");
  events.onmessage = (event) => {
    shown = merged(JSON.parse(event.data));
    if (shown) render(shown);
  };
  events.onerror = () => {
    $("state").textContent = "connection lost: trying again";
    $("state").classList.add("bad");
    if (events.readyState === EventSource.CLOSED) {
      // Refused (a renewed token, or too many pages): ask once more in a while.
      setTimeout(connect, 3000);
    }
  };
}

build();
connect();
