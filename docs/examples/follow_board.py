#!/usr/bin/env python3
"""Follows the fare board: prints every stop it shows, with its fares.

    527 --serve &
    python3 follow_board.py                       # ws://127.0.0.1:52700/
    python3 follow_board.py ws://127.0.0.1:52700/ --route 1 --section 1

With --route, it sets that route first (as the keypad would) and steps through it.
Needs only Python's standard library and the websockets package (python3-websockets).
"""
import argparse
import asyncio
import itertools
import json

import websockets


def describe_stop(event):
    fares = [f"{n}:{int(v)}" for n, v in enumerate(event["fares"], start=1) if v is not None]
    prefix = "次は " if event["prefix"] else ""
    night = " (深夜)" if event["lateNight"] else ""
    return f"row {event['row']:>3}  {prefix}{event['name']}{night}  " + " ".join(fares)


async def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("url", nargs="?", default="ws://127.0.0.1:52700/")
    parser.add_argument("--route", help="set this route first, then step to its end")
    parser.add_argument("--section", default="1", help="the section to start from")
    args = parser.parse_args()

    ids = itertools.count(1)
    async with websockets.connect(args.url) as ws:
        hello = json.loads(await ws.recv())
        state = hello["state"]
        print(f"connected to version {hello['version']}: route {state['RouteDigits'] or '-'}, "
              f"row {state['CurrentRow']}")

        async def run(line):
            await ws.send(json.dumps({"id": next(ids), "run": line}))

        if args.route:
            for line in (["key route"] + [f"key {d}" for d in args.route] + ["key section"]
                         + [f"key {d}" for d in args.section] + ["reset keypad"]):
                await run(line)

        rows = state["RowCount"]
        async for text in ws:
            message = json.loads(text)
            if message.get("ok") is False:
                print("error:", message["error"])
            event = message.get("event")
            if event == "route":
                rows = message["rows"]
                print(f"route {message['route']} from section {message['section']}, {rows} rows")
            elif event == "stop":
                print(describe_stop(message))
                if args.route:
                    if message["row"] >= rows:
                        return
                    await asyncio.sleep(0.5)
                    await run("next")
            elif event == "announce" and message["phase"] == "start":
                print("  放送:", message["text"])
            elif event == "quit":
                print("the simulator has ended")
                return


if __name__ == "__main__":
    try:
        asyncio.run(main())
    except KeyboardInterrupt:
        pass
