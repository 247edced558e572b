#!/usr/bin/env python3
"""Runs marlu_service.setupdata as a script, for the callers that name this file;
the same as python3 -m marlu_service.setupdata in this folder."""

import sys

from marlu_service import setupdata

if __name__ == "__main__":
    sys.exit(setupdata.main())
