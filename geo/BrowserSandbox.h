#pragma once

// Chromium does not start its sandbox for the root user: it ends the whole process instead
// ("Running as root without --no-sandbox is not supported"). Run as root, the program starts the
// map's browser without its sandbox, and the map group says so in the communication log, rather
// than vanish at the first "Load Google Map".

// Decides once per run, before the web engine starts (the application object calls it first
// thing; the map calls it again before it makes its browser): as root, with neither
// QTWEBENGINE_DISABLE_SANDBOX set nor --no-sandbox among QTWEBENGINE_CHROMIUM_FLAGS, it sets
// QTWEBENGINE_DISABLE_SANDBOX=1. Settings the user made are left as they are.
void PrepareBrowserSandbox();
// True when this run turned the browser's sandbox off itself because it runs as root.
bool BrowserSandboxTurnedOffForRoot();
