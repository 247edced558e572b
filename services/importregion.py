#!/usr/bin/env python3
"""Runs marlu_service.importregion as a script, for the callers that name this file;
the same as python3 -m marlu_service.importregion in this folder."""

import sys

from marlu_service import importregion

if __name__ == "__main__":
    sys.exit(importregion.main())
