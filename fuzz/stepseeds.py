"""Writes the step instructions of directions replies as seeds of fuzz_steps.

usage: stepseeds.py REPLY.xml... CORPUS_DIR
Each seed holds the HTML instructions of one reply, NUL-separated.
"""
import pathlib
import sys
import xml.etree.ElementTree as ElementTree


def main(args):
    *replies, corpus = args
    for n, reply in enumerate(replies):
        steps = [e.text or "" for e in ElementTree.parse(reply).iter("html_instructions")]
        if steps:
            pathlib.Path(corpus, f"steps{n}").write_bytes("\0".join(steps).encode("utf-8"))


if __name__ == "__main__":
    main(sys.argv[1:])
