// `node plasma_scripting_mock.js DESKTOPS.json SCRIPT`: KDE Plasma's desktop scripting API, as
// documented, for what the program uses. DESKTOPS.json holds {"desktops": [{"wallpaperPlugin",
// "config": {"Wallpaper/org.kde.image/General": {keys}}}]}. The script runs with desktops()
// (every desktop, of all activities) and print() (the answer); the desktops it leaves are
// written back. A script error ends node with an error, as the shell answers one.
"use strict";
const fs = require("fs");
const [statePath, script] = process.argv.slice(2);
const state = JSON.parse(fs.readFileSync(statePath, "utf8"));

class Containment {
  constructor(data) { Object.assign(this, {data, group: []}); }
  get wallpaperPlugin() { return this.data.wallpaperPlugin; }
  set wallpaperPlugin(plugin) { this.data.wallpaperPlugin = String(plugin); }
  set currentConfigGroup(names) { this.group = Array.from(names, String); }
  // In the Wallpaper groups the group is that of the plugin set at the time: the shell hands
  // what is written there to the live wallpaper.
  groupPath() {
    const names = this.group.slice();
    if (names[0] === "Wallpaper") names[1] = this.data.wallpaperPlugin;
    return names.join("/");
  }
  writeConfig(key, value) { (this.data.config[this.groupPath()] ??= {})[String(key)] = value; }
  readConfig(key, fallback) {
    const group = this.data.config[this.groupPath()] || {};
    return Object.hasOwn(group, key) ? group[key] : fallback;
  }
}

const containments = state.desktops.map((data) => new Containment(data));
const printed = [];
require("vm").runInNewContext(script, {
  desktops: () => containments.slice(),
  print: (text) => printed.push(String(text) + "\n"),
});
fs.writeFileSync(statePath, JSON.stringify(state, null, 1));
process.stdout.write(printed.join(""));
