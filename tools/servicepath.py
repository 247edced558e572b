"""The one place that makes the service's package (services/marlu_service)
and the tools importable for the tests, the benchmarks and the tools. bench/
and tests/services/ hold links to this file, so that a program started from
any of the three folders finds it beside itself: `import servicepath` before
`from marlu_service import ...`."""

import os
import sys

REPO = os.path.dirname(os.path.dirname(os.path.realpath(__file__)))
SERVICES = os.path.join(REPO, "services")
TOOLS = os.path.join(REPO, "tools")

for _folder in (TOOLS, SERVICES):
    if _folder not in sys.path:
        sys.path.insert(0, _folder)
