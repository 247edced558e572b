"""The sentence a user reads when an online provider gives no usable answer:
the provider, the cause in words, and the way back. The status word and the
technical detail go to the log; this is what the application shows."""

OFFLINE = "Map Services: choose Offline."

_NO_NAME = ("name or service not known", "temporary failure in name resolution",
            "no address associated", "nodename nor servname", "cannot resolve")
_UNREACHABLE = ("network is unreachable", "no route to host", "host is unreachable")


def sentence(provider, cause, way_back=OFFLINE):
    return "%s: %s. %s" % (provider, cause, way_back)


def cause_of(error):
    """The cause of an upstream.UpstreamError (or any OSError) in words."""
    kind = getattr(error, "kind", "network")
    detail = str(getattr(error, "detail", error)).lower()
    if kind == "timeout" or "timed out" in detail:
        return "no answer in time"
    if kind == "too_large":
        return "its answer is too large to use"
    if kind == "truncated":
        return "its answer was cut short"
    if kind == "redirect":
        return "it sends the request on to an address that is not followed"
    if kind == "busy":
        return "too many requests are waiting; try again in a moment"
    if any(words in detail for words in _NO_NAME):
        return "no network (its name cannot be looked up)"
    if any(words in detail for words in _UNREACHABLE):
        return "no network (it cannot be reached)"
    if "refused" in detail:
        return "the connection was refused"
    if "certificate" in detail or "ssl" in detail:
        return "its secure connection cannot be trusted"
    return "it cannot be reached"


def of_error(provider, error, way_back=OFFLINE):
    return sentence(provider, cause_of(error), way_back)


def of_status(provider, http_status, way_back=OFFLINE):
    """The sentence for an HTTP answer other than 200."""
    if http_status == 429:
        cause = "it refuses more requests for now (HTTP 429); wait a while"
    elif http_status in (401, 403):
        cause = "it refused the request (HTTP %d)" % http_status
    elif http_status == 404:
        cause = "nothing answers at its address (HTTP 404)"
    elif 500 <= http_status < 600:
        cause = "it has a failure of its own (HTTP %d)" % http_status
    else:
        cause = "it answered HTTP %d" % http_status
    return sentence(provider, cause, way_back)


def unreadable(provider, way_back=OFFLINE):
    return sentence(provider, "its answer cannot be read", way_back)
