// A mock of KDE Plasma's desktop scripting API, as its public documentation describes it, for
// the scripts the program hands to the shell:
//
//   node plasma_scripting_mock.js DESKTOPS.json SCRIPT.js
//
// DESKTOPS.json holds {"desktops": [{"screen", "activity", "wallpaperPlugin", "config"}]},
// "config" mapping a group's path ("Wallpaper/org.kde.image/General") to its keys. The script
// runs with desktops() (every desktop containment, also those of other activities, whose
// screen is -1) and print() (what evaluateScript answers); the desktops as the script left
// them are written back. A script error ends node with an error, as the shell answers one.
"use strict";
const fs = require("fs");
const vm = require("vm");

const [statePath, scriptPath] = process.argv.slice(2);
const state = JSON.parse(fs.readFileSync(statePath, "utf8"));

class Containment {
  constructor(data) {
    this.data = data;
    this.group = [];
  }
  get type() { return "org.kde.plasma.folder"; }
  get screen() { return this.data.screen; }
  get wallpaperPlugin() { return this.data.wallpaperPlugin; }
  set wallpaperPlugin(plugin) { this.data.wallpaperPlugin = String(plugin); }
  get currentConfigGroup() { return this.group.slice(); }
  set currentConfigGroup(names) { this.group = Array.from(names, String); }
  // The group written and read. In the Wallpaper groups that is the group of the wallpaper
  // plugin set at the time: the shell hands what is written there to the live wallpaper.
  groupPath() {
    const names = this.group.slice();
    if (names[0] === "Wallpaper") names[1] = this.data.wallpaperPlugin;
    return names.join("/");
  }
  writeConfig(key, value) {
    const path = this.groupPath();
    this.data.config[path] = this.data.config[path] || {};
    this.data.config[path][String(key)] = value;
  }
  readConfig(key, fallback) {
    const group = this.data.config[this.groupPath()] || {};
    return Object.prototype.hasOwnProperty.call(group, key) ? group[key] : fallback;
  }
}

const containments = state.desktops.map((data) => new Containment(data));
const printed = [];
vm.runInNewContext(fs.readFileSync(scriptPath, "utf8"), {
  desktops: () => containments.slice(),
  print: (text) => printed.push(String(text)),
});
fs.writeFileSync(statePath, JSON.stringify(state, null, 1));
process.stdout.write(printed.map((line) => line + "\n").join(""));
