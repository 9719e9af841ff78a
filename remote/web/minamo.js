// The pages' connection to the simulator: one WebSocket on the address the page came
// from (with its token), answers matched to their commands, and a connection that comes
// back by itself within a few seconds when it drops.
"use strict";

const minamo = (() => {
  const params = new URLSearchParams(location.search);
  const token = params.get("token");
  const withToken = (path) => path + (token ? "?token=" + encodeURIComponent(token) : "");

  function connect(path, handlers) {
    let ws = null;
    let nextId = 1;
    const waiting = new Map();
    const offline = document.getElementById("offline");

    function open() {
      ws = new WebSocket("ws://" + location.host + withToken(path));
      ws.binaryType = "blob";
      ws.onopen = () => {
        if (offline) offline.hidden = true;
        if (handlers.open) handlers.open();
      };
      ws.onmessage = (e) => {
        if (typeof e.data !== "string") {
          if (handlers.frame) handlers.frame(e.data);
          return;
        }
        const m = JSON.parse(e.data);
        if ("ok" in m && waiting.has(m.id)) {
          waiting.get(m.id)(m);
          waiting.delete(m.id);
        } else if (m.event && handlers.event) {
          handlers.event(m);
        }
      };
      ws.onclose = () => {
        if (offline) offline.hidden = false;
        if (handlers.close) handlers.close();
        // Back within five seconds; the hello brings the state again.
        setTimeout(open, 1000);
      };
    }
    open();

    return {
      // A message of the page's own (a frames page asking for a whole picture).
      send(message) {
        if (ws && ws.readyState === WebSocket.OPEN) ws.send(JSON.stringify(message));
      },
      run(line) {
        return new Promise((resolve) => {
          if (!ws || ws.readyState !== WebSocket.OPEN) {
            resolve({ ok: false, error: "offline" });
            return;
          }
          const id = nextId++;
          waiting.set(id, resolve);
          ws.send(JSON.stringify({ id, run: line }));
        });
      },
    };
  }

  return { connect, withToken, params };
})();
