"""Marlu's local map service: the HTTP server (server), its endpoints
(geocoding, directions, tiles), region import and data set-up."""

import os

# services/: this package, its entry scripts and the node packages it reads.
SERVICES_DIR = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
