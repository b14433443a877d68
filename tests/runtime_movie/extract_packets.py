#!/usr/bin/env python3
"""Writes the video packets of an ffprobe JSON file as the lines the fixture
tests read: size, key frame (1/0), decode time relative to the first packet,
display offset (pts - dts), duration and file position, in the stream's time
base, one packet a line in decode order.

usage: extract_packets.py NAME.ffprobe.json > NAME.video_packets.txt
"""
import json
import sys


def main(path):
    probe = json.load(open(path))
    video = [s["index"] for s in probe["streams"] if s.get("codec_type") == "video"]
    if not video:
        return
    stream = video[0]
    packets = [p for p in probe["packets"] if p["stream_index"] == stream]
    first = packets[0]["dts"]
    print("# size key decode_time display_offset duration position")
    for p in packets:
        print(int(p["size"]), 1 if "K" in p["flags"] else 0, p["dts"] - first,
              p["pts"] - p["dts"], p["duration"], int(p["pos"]))


if __name__ == "__main__":
    main(sys.argv[1])
