#!/usr/bin/env python3
"""Runs marlu_service.server as a script, for the callers that name this file;
the same as python3 -m marlu_service.server in this folder."""

import sys

from marlu_service import server

if __name__ == "__main__":
    sys.exit(server.main())
