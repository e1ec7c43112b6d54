#!/usr/bin/env python3
"""A loopback TCP proxy that adds a round-trip time (this kernel has no netem): each
new connection waits one round trip before its first byte passes (the TCP handshake),
and every byte reaches the other side half a round trip after it was sent, in order.

  latency_proxy.py --rtt-ms 100 [--port-file FILE] LISTEN_PORT:TARGET_PORT...

Listens on 127.0.0.1 at each LISTEN_PORT and connects to 127.0.0.1:TARGET_PORT. The
target "dead" stands for a server whose packets are lost: what arrives is read and
nothing ever answers.
"""
import argparse
import asyncio
import os
import socket


def no_delay(writer):
    sock = writer.get_extra_info("socket")
    if sock is not None:
        sock.setsockopt(socket.IPPROTO_TCP, socket.TCP_NODELAY, 1)


async def carry(reader, writer, delay):
    """Passes what `reader` receives to `writer` `delay` seconds later; ends with its end."""
    loop = asyncio.get_running_loop()
    pending = asyncio.Queue()

    async def receive():
        while True:
            try:
                data = await reader.read(65536)
            except OSError:
                data = b""
            await pending.put((loop.time() + delay, data))
            if not data:
                return

    async def deliver():
        while True:
            due, data = await pending.get()
            wait = due - loop.time()
            if wait > 0:
                await asyncio.sleep(wait)
            try:
                if not data:
                    if writer.can_write_eof():
                        writer.write_eof()
                    return
                writer.write(data)
                await writer.drain()
            except OSError:
                return

    await asyncio.gather(receive(), deliver())


def serve(target, rtt):
    async def dead(client_reader, client_writer):
        while await client_reader.read(65536):
            pass
        client_writer.close()

    async def connection(client_reader, client_writer):
        no_delay(client_writer)
        await asyncio.sleep(rtt)
        try:
            server_reader, server_writer = await asyncio.open_connection("127.0.0.1", int(target))
        except OSError:
            client_writer.close()
            return
        no_delay(server_writer)
        await asyncio.gather(carry(client_reader, server_writer, rtt / 2),
                             carry(server_reader, client_writer, rtt / 2))
        for writer in (client_writer, server_writer):
            writer.close()

    return dead if target == "dead" else connection


async def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--rtt-ms", type=float, required=True)
    parser.add_argument("--port-file", help="written once every port listens")
    parser.add_argument("pairs", nargs="+", metavar="LISTEN_PORT:TARGET_PORT")
    args = parser.parse_args()
    rtt = args.rtt_ms / 1000
    servers = []
    for pair in args.pairs:
        listen, target = pair.split(":")
        servers.append(await asyncio.start_server(serve(target, rtt), "127.0.0.1", int(listen), reuse_address=True))
    if args.port_file:
        with open(args.port_file + ".tmp", "w") as f:
            f.write(" ".join(args.pairs) + "\n")
        os.replace(args.port_file + ".tmp", args.port_file)
    await asyncio.gather(*(server.serve_forever() for server in servers))


if __name__ == "__main__":
    asyncio.run(main())
