"""The regions of the service's data folder as Marlu's application manages
them: list, import from a file, download (from the catalogue), update,
cancel and delete. Each handler takes the request's JSON body and the path's
parts and gives (HTTP status, JSON answer); the server's /marlu/ table
routes to them.

A job (jobs.py) downloads and imports in the background; when it succeeds
the server reloads, so the new region is searched, routed and drawn without
a restart. Downloads land in DATA/downloads/ and go once imported.
"""

import datetime
import json
import os
import shutil
import threading
import time
from http import HTTPStatus

from .. import config, importregion, upstream
from . import catalogue, download
from .jobs import Job


def _error(status, sentence):
    return status, {"error": sentence}


class Regions:
    timeout = 30   # seconds a read may take; a download's speed is judged over as long

    def __init__(self, cfg, server):
        self.server = server
        self._jobs = {}    # name -> Job: running, being cancelled, or failed and not dismissed
        self._lock = threading.Lock()
        self._import_slot = threading.Semaphore(1)   # imports are heavy: one at a time
        self._described = {}
        self.reload(cfg)

    def reload(self, cfg):
        self._cfg = cfg
        self.catalogue = catalogue.Catalogue(cfg.cache_dir)

    def free_space(self, path):
        """How much room there is where downloads go (replaced to test a full disk)."""
        return shutil.disk_usage(path).free

    @property
    def downloads_dir(self):
        return os.path.join(self._cfg.data_dir, "downloads")

    # --- Listing -------------------------------------------------------------

    def list(self, body):
        found = {os.path.basename(folder): self._describe(folder)
                 for folder in self._cfg.regions()}
        with self._lock:
            jobs = [job for job in self._jobs.values() if not job.cancelled.is_set()]
        for job in jobs:
            entry = found.get(job.name) or {"name": job.name, "bbox": None, "size": 0,
                                            "date": None}
            found[job.name] = dict(entry, **job.entry())
        # Without the places index no search answers: the application says so.
        return HTTPStatus.OK, {"regions": [found[name] for name in sorted(found)],
                               "places": os.path.isfile(self._cfg.places_path)}

    def _describe(self, folder):
        """A ready region's entry; kept while its region.json is unchanged,
        as its size and date take a walk or an osmium run to learn."""
        meta_path = os.path.join(folder, "region.json")
        try:
            key = (folder, os.stat(meta_path).st_mtime_ns)
        except OSError:
            key = None
        if key in self._described:
            return dict(self._described[key])
        meta = self._meta(folder)
        size = 0
        for where, _, names in os.walk(folder):
            for name in names:
                try:
                    size += os.lstat(os.path.join(where, name)).st_size
                except OSError:
                    pass
        bbox = meta.get("bbox")
        entry = {"name": os.path.basename(folder),
                 "bbox": bbox if isinstance(bbox, list) and len(bbox) == 4 else None,
                 "size": size, "date": self._date(meta, meta_path), "state": "ready",
                 "progress": 100, "stage": "", "error": "", "job": ""}
        self._described[key] = entry
        return dict(entry)

    @staticmethod
    def _meta(folder):
        try:
            with open(os.path.join(folder, "region.json"), encoding="utf-8") as f:
                meta = json.load(f)
            return meta if isinstance(meta, dict) else {}
        except (OSError, ValueError):
            return {}

    @staticmethod
    def _date(meta, meta_path):
        """The date of the region's data, or None where nothing tells it."""
        if isinstance(meta.get("date"), str):
            return meta["date"]
        # The server's date of a downloaded extract.
        modified = download.http_date(meta.get("modified"))
        if modified:
            return importregion.iso_time(modified)
        # Imported before regions recorded their date: ask the extract, if still there.
        source = meta.get("source")
        if isinstance(source, str) and os.path.isfile(source):
            try:
                return importregion.extract_info(source)[2]
            except importregion.ImportError_:
                pass
        return None

    # --- Jobs ----------------------------------------------------------------

    def start_import(self, body):
        path = body.get("path")
        if not isinstance(path, str) or not os.path.isabs(path):
            return _error(HTTPStatus.BAD_REQUEST, "Give the extract's absolute path.")
        if not os.path.isfile(path):
            return _error(HTTPStatus.BAD_REQUEST, "%s: no such file." % path)
        return self._start(body.get("name"), importregion.region_name(path), "import",
                           lambda job: self._import(job, path))

    def start_download(self, body):
        url = body.get("url")
        problem = download.check_url(url)
        if problem:
            return _error(HTTPStatus.BAD_REQUEST, problem)
        return self._start(body.get("name"), download.region_name(url), "download",
                           lambda job: self._download(job, url))

    def _start(self, name, default, kind, work):
        try:
            name = importregion.checked_name(default if name is None else str(name))
        except importregion.ImportError_ as exc:
            return _error(HTTPStatus.BAD_REQUEST, str(exc) + ".")
        with self._lock:
            existing = self._jobs.get(name)
            if existing is not None and existing.state != "failed":
                return _error(HTTPStatus.CONFLICT, "%s is being imported already." % name)
            job = self._jobs[name] = Job(name, kind)
        threading.Thread(target=self._run, args=(job, work), daemon=True).start()
        return HTTPStatus.ACCEPTED, {"job": job.id, "name": name}

    def _run(self, job, work):
        resumable = False
        try:
            sentence = work(job)
        except download.Cancelled:
            sentence = None
        except download.Failed as exc:
            sentence, resumable = str(exc), exc.resumable
        except Exception as exc:  # the job fails, the service goes on
            sentence = "The %s of %s failed: %s." % (job.kind, job.name, exc)
        if job.cancelled.is_set():
            # Cleaned by whoever cancelled it, but what it wrote since goes
            # too, unless its name is another job's now. The cancel may have
            # come after the region was complete.
            with self._lock:
                taken = self._jobs.get(job.name) not in (None, job)
                if not taken and not job.keep_download:
                    self._clean(job, parts=True)
            self.server.reload()
            return
        if sentence:
            self._clean(job, parts=not resumable)
            job.fail(sentence)
            return
        # A success, or a cancel that may have come after the last rename.
        self.server.reload()
        with self._lock:
            if self._jobs.get(job.name) is job:
                del self._jobs[job.name]

    def _import(self, job, pbf, meta=None):
        job.stage_reached("", 0)
        while not self._import_slot.acquire(timeout=0.2):
            if job.cancelled.is_set():
                return None
        try:
            return job.run_import(pbf, self._cfg.data_dir, meta)
        finally:
            self._import_slot.release()

    def _download(self, job, url, meta=None):
        fetch = download.Download(job, url, self.downloads_dir, job.name, self.free_space,
                                  self.timeout)
        pbf = fetch.run()
        try:
            return self._import(job, pbf, dict(meta or {}, url=url, modified=fetch.modified))
        finally:
            os.remove(pbf)

    def _clean(self, job, parts):
        """Leaves nothing of a stopped job: its half-built region folder, and
        with parts its download too. An earlier region of its name stays."""
        regions_dir = self._cfg.regions_dir
        config.remove_region_folder(regions_dir, os.path.join(regions_dir,
                                                              "." + job.name + ".partial"))
        config.finish_interrupted_swaps(regions_dir)
        if parts and job.kind == "download":
            download.remove_part(self.downloads_dir, job.name)
            try:
                os.remove(os.path.join(self.downloads_dir, job.name + ".osm.pbf"))
            except FileNotFoundError:
                pass

    def stop(self):
        """Ends every job's import process, as the service stops: nothing of
        it may go on writing into the data folder unwatched."""
        with self._lock:
            running = [job for job in self._jobs.values() if job.state != "failed"]
        for job in running:
            job.keep_download = True   # a download resumes at the next start
            job.cancel()
            self._clean(job, parts=False)

    def cancel(self, body, job_id):
        with self._lock:
            job = next((j for j in self._jobs.values() if j.id == job_id), None)
        if job is None or not job.running:
            return _error(HTTPStatus.NOT_FOUND, "There is no job %s running." % job_id)
        job.cancel()
        self._clean(job, parts=True)
        # The name is free at once: the job's thread, which may still be in a
        # read, sees the cancel and leaves everything alone.
        with self._lock:
            if self._jobs.get(job.name) is job:
                del self._jobs[job.name]
        return HTTPStatus.OK, {}

    # --- Delete and update -----------------------------------------------------

    def _region(self, name):
        """(checked name, folder) of an imported region; folder None when there is none."""
        try:
            name = importregion.checked_name(name)
        except importregion.ImportError_:
            return name, None
        folder = os.path.join(self._cfg.regions_dir, name)
        return (name, folder) if os.path.isfile(os.path.join(folder, "region.json")) \
            else (name, None)

    def delete(self, body, name):
        name, folder = self._region(name)
        with self._lock:
            job = self._jobs.get(name)
            if job is not None and job.state != "failed":
                return _error(HTTPStatus.CONFLICT, "%s is being imported; cancel that first."
                              % name)
            if job is not None:   # dismisses the failure; an earlier region stays
                del self._jobs[name]
                return HTTPStatus.OK, {}
            if folder is None:
                return _error(HTTPStatus.NOT_FOUND, "There is no region %s." % name)
            # Out of sight at once, removed once the endpoints let go of it.
            aside = os.path.join(self._cfg.regions_dir, "." + name + ".deleted")
            config.remove_region_folder(self._cfg.regions_dir, aside)
            os.rename(folder, aside)
        self.server.reload()
        config.remove_region_folder(self._cfg.regions_dir, aside)
        return HTTPStatus.OK, {}

    def update(self, body, name):
        name, folder = self._region(name)
        if folder is None:
            return _error(HTTPStatus.NOT_FOUND, "There is no region %s." % name)
        with self._lock:
            job = self._jobs.get(name)
            if job is not None and job.state != "failed":
                return _error(HTTPStatus.CONFLICT, "%s is being imported already." % name)
        meta = self._meta(folder)
        url = meta.get("url")
        if download.check_url(url):
            return _error(HTTPStatus.BAD_REQUEST, "%s was imported from a file: there is no "
                          "address to update it from." % name)
        # The answer says whether there is anything to do, so it waits for
        # the HEAD, within the providers' deadline.
        try:
            status, _, headers = upstream.request(url, method="HEAD", accept="*/*")
        except upstream.UpstreamError as exc:
            return _error(HTTPStatus.BAD_GATEWAY, "Cannot ask %s for its date: %s."
                          % (url, download.upstream_reason(exc)))
        if status != 200:
            return _error(HTTPStatus.BAD_GATEWAY, "Cannot ask %s for its date: the server "
                          "answered %d." % (url, status))
        served = download.http_date(headers.get("Last-Modified"))
        if served is None:
            return _error(HTTPStatus.BAD_GATEWAY, "%s does not give its date, so there is no "
                          "telling whether it is newer." % url)
        # The server's date of the file we imported, where known: the data's
        # own timestamp is always a little older than the file made from it.
        ours = download.http_date(meta.get("modified")) or _iso_seconds(meta.get("date"))
        if ours is not None and served <= ours:
            return HTTPStatus.OK, {"uptodate": True}
        return self._start(name, name, "download", lambda job: self._download(job, url))

    # --- Catalogue ------------------------------------------------------------

    def catalogue_entries(self, body):
        url = (self._cfg.get("regions", "catalogue") or catalogue.DEFAULT_URL).strip()
        try:
            entries = self.catalogue.entries(url)
        except catalogue.Unavailable as exc:
            return _error(HTTPStatus.BAD_GATEWAY, str(exc))
        folders = self._cfg.regions()
        names = {os.path.basename(folder) for folder in folders}
        urls = {self._meta(folder).get("url") for folder in folders}
        for entry in entries:
            entry["imported"] = entry["pbf"] in urls or \
                download.region_name(entry["pbf"]) in names
        return HTTPStatus.OK, {"entries": entries}


# A half-built region younger than this may be another service's import under way.
STALE_PARTIAL = 600


def sweep(regions_dir):
    """Removes what killed jobs left in regions/: folders set aside for
    deletion, and half-built regions nothing has written to for a while."""
    try:
        names = os.listdir(regions_dir)
    except OSError:
        return
    for entry in names:
        path = os.path.join(regions_dir, entry)
        if not entry.startswith(".") or not os.path.isdir(path) or os.path.islink(path):
            continue
        if entry.endswith(".deleted"):
            config.remove_region_folder(regions_dir, path)
        elif entry.endswith(".partial"):
            try:
                changed = max([os.stat(path).st_mtime] + [
                    os.stat(os.path.join(path, child)).st_mtime for child in os.listdir(path)])
            except OSError:
                continue
            if time.time() - changed > STALE_PARTIAL:
                config.remove_region_folder(regions_dir, path)


def _iso_seconds(text):
    try:
        return datetime.datetime.strptime(text, "%Y-%m-%dT%H:%M:%SZ").replace(
            tzinfo=datetime.timezone.utc).timestamp()
    except (TypeError, ValueError):
        return None

