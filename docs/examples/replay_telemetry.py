#!/usr/bin/env python3
"""Sends a recorded telemetry log to the simulator at its own pace.

    527 --serve &
    python3 replay_telemetry.py trip.jsonl [ws://127.0.0.1:52700/]

Each line of the log is {"t": SECONDS, "telemetry": {...}}; following is switched on
first, so the board steps when the doors close and the bus moves off, announces near
the next stop and jumps to a "stop" the log names. (527 --replay-telemetry trip.jsonl
does the same inside the simulator.)
"""
import asyncio
import json
import sys
import time

import websockets


async def main(path, url):
    with open(path, encoding="utf-8") as f:
        lines = [json.loads(line) for line in f if line.strip()]
    async with websockets.connect(url) as ws:
        await ws.recv()  # hello
        await ws.send(json.dumps({"id": 1, "run": "follow on"}))
        start = time.monotonic()
        for line in lines:
            delay = line["t"] - (time.monotonic() - start)
            if delay > 0:
                await asyncio.sleep(delay)
            await ws.send(json.dumps({"telemetry": line["telemetry"]}))
            print(f"{line['t']:7.2f} s  {json.dumps(line['telemetry'], ensure_ascii=False)}")
        # The answers and events that came meanwhile.
        await ws.send(json.dumps({"id": 2, "run": "state"}))
        async for text in ws:
            message = json.loads(text)
            if message.get("id") == 2:
                print("the board stands at row", message["result"]["CurrentRow"])
                return


if __name__ == "__main__":
    if len(sys.argv) < 2:
        sys.exit(__doc__)
    asyncio.run(main(sys.argv[1], sys.argv[2] if len(sys.argv) > 2 else "ws://127.0.0.1:52700/"))
