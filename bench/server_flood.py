#!/usr/bin/env python3
"""Floods korvel-server with malformed requests for a while, bounded in
time and connections: random bytes, huge headers, and slow headers (one
byte a second on 200 connections). Prints what came back.

    bench/server_flood.py PORT SECONDS
"""
import asyncio
import collections
import os
import sys

PORT = int(sys.argv[1])
SECONDS = float(sys.argv[2])
answers = collections.Counter()


async def exchange(payload):
    try:
        reader, writer = await asyncio.open_connection("127.0.0.1", PORT)
        writer.write(payload)
        try:
            await writer.drain()
        except ConnectionError:
            pass
        line = await asyncio.wait_for(reader.readline(), 5)
        answers[line.split(b" ")[1].decode() if line.count(b" ") >= 2 else "closed"] += 1
        writer.close()
    except (ConnectionError, asyncio.TimeoutError, OSError):
        answers["reset"] += 1


async def random_bytes(deadline):
    while asyncio.get_running_loop().time() < deadline:
        await exchange(os.urandom(2048) + b"\r\n\r\n")


async def huge_headers(deadline):
    while asyncio.get_running_loop().time() < deadline:
        await exchange(b"GET /healthz HTTP/1.1\r\nHost: x\r\nX-Huge: " + b"a" * 200000 + b"\r\n\r\n")


async def slow_headers(deadline):
    while asyncio.get_running_loop().time() < deadline:
        try:
            reader, writer = await asyncio.open_connection("127.0.0.1", PORT)
            writer.write(b"GET /healthz HTTP/1.1\r\n")
            while asyncio.get_running_loop().time() < deadline:
                await asyncio.sleep(1)
                writer.write(b"X")
                await writer.drain()
                if reader.at_eof():
                    break
            answers["slow, cut off" if reader.at_eof() else "slow, still open"] += 1
            writer.close()
        except (ConnectionError, OSError):
            answers["slow, cut off"] += 1


async def main():
    deadline = asyncio.get_running_loop().time() + SECONDS
    tasks = [random_bytes(deadline) for _ in range(4)] + [huge_headers(deadline) for _ in range(4)]
    tasks += [slow_headers(deadline) for _ in range(200)]
    await asyncio.gather(*tasks)
    print("flood answers:", ", ".join(f"{key}: {value}" for key, value in sorted(answers.items())))


asyncio.run(main())
