<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de_DE">
<context>
    <name>AboutBox</name>
    <message>
        <source>About Marlu</source>
        <translation>Über Marlu</translation>
    </message>
    <message>
        <source>Marlu %1
Map and navigation</source>
        <translation>Marlu %1
Karte und Navigation</translation>
    </message>
    <message>
        <source>Licensed under the GNU General Public License, version 3 or later.

Map data © OpenStreetMap contributors (ODbL).
Places from GeoNames (CC BY 4.0).
Country shapes from Natural Earth.
Satellite imagery: NASA Blue Marble.
Routes by Routino; the map page uses Leaflet.</source>
        <translation>Lizenziert unter der GNU General Public License, Version 3 oder später.

Kartendaten © OpenStreetMap-Mitwirkende (ODbL).
Orte von GeoNames (CC BY 4.0).
Ländergrenzen von Natural Earth.
Satellitenbilder: NASA Blue Marble.
Routen von Routino; die Kartenseite nutzt Leaflet.</translation>
    </message>
</context>
<context>
    <name>ApplicationMenu</name>
    <message>
        <source>Menu</source>
        <translation>Menü</translation>
    </message>
</context>
<context>
    <name>CatalogueDialog</name>
    <message>
        <source>Download Map Data</source>
        <translation>Kartendaten herunterladen</translation>
    </message>
    <message>
        <source>Search by name</source>
        <translation>Nach Namen suchen</translation>
    </message>
    <message>
        <source>Area</source>
        <translation>Gebiet</translation>
    </message>
    <message>
        <source>Download</source>
        <translation>Herunterladen</translation>
    </message>
    <message>
        <source>Imported</source>
        <translation>Importiert</translation>
    </message>
    <message>
        <source>unknown</source>
        <translation>unbekannt</translation>
    </message>
    <message>
        <source>imported</source>
        <translation>importiert</translation>
    </message>
    <message>
        <source>The extracts come from the catalogue configured in the map service; the download needs the disk space of the extract and about three times as much for the import.</source>
        <translation>Die Auszüge stammen aus dem im Kartendienst eingestellten Katalog. Der Download braucht so viel Speicherplatz wie der Auszug, der Import etwa das Dreifache davon.</translation>
    </message>
</context>
<context>
    <name>CurrDirectionsDlg</name>
    <message>
        <source>Driving</source>
        <translation>Mit dem Auto</translation>
    </message>
    <message>
        <source>Walking</source>
        <translation>Zu Fuß</translation>
    </message>
    <message>
        <source>Cycling</source>
        <translation>Mit dem Fahrrad</translation>
    </message>
    <message>
        <source>%1 from %2 to %3</source>
        <translation>%1 von %2 nach %3</translation>
    </message>
    <message>
        <source>%1, %2</source>
        <translation>%1, %2</translation>
    </message>
    <message>
        <source>Dialog</source>
        <translation>Dialog</translation>
    </message>
    <message>
        <source>Recalculate</source>
        <translation>Neu berechnen</translation>
    </message>
    <message>
        <source>Clear</source>
        <translation>Löschen</translation>
    </message>
    <message>
        <source>New</source>
        <translation>Neu</translation>
    </message>
    <message>
        <source>Copyright...</source>
        <translation>Copyright...</translation>
    </message>
    <message>
        <source>%1. %2</source>
        <translation>%1. %2</translation>
    </message>
</context>
<context>
    <name>DirectionsDlg</name>
    <message>
        <source>Directions</source>
        <translation>Route</translation>
    </message>
    <message>
        <source>Start:</source>
        <translation>Start:</translation>
    </message>
    <message>
        <source>Destination:</source>
        <translation>Ziel:</translation>
    </message>
    <message>
        <source>Driving</source>
        <translation>Auto</translation>
    </message>
    <message>
        <source>Walking</source>
        <translation>Zu Fuß</translation>
    </message>
    <message>
        <source>Bicycling</source>
        <translation>Fahrrad</translation>
    </message>
    <message>
        <source>Avoid Tolls</source>
        <translation>Mautstraßen meiden</translation>
    </message>
    <message>
        <source>Avoid Highways</source>
        <translation>Autobahnen meiden</translation>
    </message>
    <message>
        <source>Metric</source>
        <translation>Metrisch</translation>
    </message>
    <message>
        <source>Imperial</source>
        <translation>Imperial</translation>
    </message>
    <message>
        <source>Multiple Alternatives</source>
        <translation>Alternative Routen</translation>
    </message>
    <message>
        <source>Calculate Directions</source>
        <translation>Route berechnen</translation>
    </message>
</context>
<context>
    <name>FindDlg</name>
    <message>
        <source>Find Address</source>
        <translation>Adresse suchen</translation>
    </message>
    <message>
        <source>Maple Hollows</source>
        <translation>Berlin</translation>
    </message>
    <message>
        <source>Search</source>
        <translation>Suchen</translation>
    </message>
    <message>
        <source>Type a place to search for.</source>
        <translation>Bitte einen Ort eingeben.</translation>
    </message>
</context>
<context>
    <name>FullScreenExitButton</name>
    <message>
        <source>Leave fullscreen (Esc)</source>
        <translation>Vollbild verlassen (Esc)</translation>
    </message>
</context>
<context>
    <name>GeocodeRequester</name>
    <message>
        <source>No results found.</source>
        <translation>Keine Ergebnisse gefunden.</translation>
    </message>
    <message>
        <source>Service returned status: </source>
        <translation>Der Dienst meldete den Status: </translation>
    </message>
</context>
<context>
    <name>GoogleDirections</name>
    <message>
        <source>No results found.</source>
        <translation>Keine Ergebnisse gefunden.</translation>
    </message>
    <message>
        <source>Service returned status: </source>
        <translation>Der Dienst meldete den Status: </translation>
    </message>
</context>
<context>
    <name>GuidanceBanner</name>
    <message>
        <source>%1 · %2 · arrival %3</source>
        <translation>%1 · %2 · Ankunft %3</translation>
    </message>
    <message>
        <source>%1 km/h</source>
        <translation>%1 km/h</translation>
    </message>
    <message>
        <source>%1 mph</source>
        <translation>%1 mph</translation>
    </message>
</context>
<context>
    <name>Maemo5Wnd</name>
    <message>
        <source>Orientation</source>
        <translation>Ausrichtung</translation>
    </message>
    <message>
        <source>Auto</source>
        <translation>Automatisch</translation>
    </message>
    <message>
        <source>Landscape</source>
        <translation>Querformat</translation>
    </message>
    <message>
        <source>Portrait</source>
        <translation>Hochformat</translation>
    </message>
    <message>
        <source>Fullscreen</source>
        <translation>Vollbild</translation>
    </message>
</context>
<context>
    <name>MainWindow</name>
    <message>
        <source>Marlu</source>
        <translation>Marlu</translation>
    </message>
    <message>
        <source>Failed to Load Map</source>
        <translation>Karte nicht geladen</translation>
    </message>
    <message>
        <source>Your own position is not known yet: type a start address.</source>
        <translation>Der eigene Standort ist noch nicht bekannt: Startadresse eingeben.</translation>
    </message>
    <message>
        <source>Directions</source>
        <translation>Route</translation>
    </message>
    <message>
        <source>Type a start address.</source>
        <translation>Bitte eine Startadresse eingeben.</translation>
    </message>
    <message>
        <source>Directions - Destination</source>
        <translation>Route - Ziel</translation>
    </message>
    <message>
        <source>Type a place to search for.</source>
        <translation>Bitte einen Ort eingeben.</translation>
    </message>
    <message>
        <source>Destination Address</source>
        <translation>Zieladresse</translation>
    </message>
    <message>
        <source>Hybrid</source>
        <translation>Hybrid</translation>
    </message>
    <message>
        <source>Road Map</source>
        <translation>Straßenkarte</translation>
    </message>
    <message>
        <source>Satellite</source>
        <translation>Satellit</translation>
    </message>
    <message>
        <source>Terrain</source>
        <translation>Gelände</translation>
    </message>
    <message>
        <source>Find Address</source>
        <translation>Adresse suchen</translation>
    </message>
    <message>
        <source>Clear Marks</source>
        <translation>Markierungen löschen</translation>
    </message>
    <message>
        <source>Traffic Layer</source>
        <translation>Verkehr</translation>
    </message>
    <message>
        <source>Bicycling Layer</source>
        <translation>Radwege</translation>
    </message>
    <message>
        <source>Show Accuracy</source>
        <translation>Genauigkeit anzeigen</translation>
    </message>
    <message>
        <source>Auto Rotate</source>
        <translation>Automatisch drehen</translation>
    </message>
    <message>
        <source>Position Updates</source>
        <translation>Standort aktualisieren</translation>
    </message>
    <message>
        <source>Off</source>
        <translation>Aus</translation>
    </message>
    <message>
        <source>every second</source>
        <translation>jede Sekunde</translation>
    </message>
    <message>
        <source>every 2 seconds</source>
        <translation>alle 2 Sekunden</translation>
    </message>
    <message>
        <source>every 5 seconds</source>
        <translation>alle 5 Sekunden</translation>
    </message>
    <message>
        <source>every 10 seconds</source>
        <translation>alle 10 Sekunden</translation>
    </message>
    <message>
        <source>every 15 seconds</source>
        <translation>alle 15 Sekunden</translation>
    </message>
    <message>
        <source>every 30 seconds</source>
        <translation>alle 30 Sekunden</translation>
    </message>
    <message>
        <source>About</source>
        <translation>Über</translation>
    </message>
    <message>
        <source>The map page %1 could not be loaded.</source>
        <translation>Die Kartenseite %1 konnte nicht geladen werden.</translation>
    </message>
    <message>
        <source>Trying again starts Marlu's map service on another port for this session.</source>
        <translation>Ein neuer Versuch startet Marlus Kartendienst für diese Sitzung auf einem anderen Port.</translation>
    </message>
    <message>
        <source>The map service could not start: %1.</source>
        <translation>Der Kartendienst konnte nicht starten: %1.</translation>
    </message>
    <message>
        <source>Would you like to try again?</source>
        <translation>Möchten Sie es erneut versuchen?</translation>
    </message>
    <message>
        <source>Map Regions</source>
        <translation>Kartenregionen</translation>
    </message>
    <message>
        <source>Map Services</source>
        <translation>Kartendienste</translation>
    </message>
    <message>
        <source>No street data here</source>
        <translation>Hier gibt es keine Straßendaten</translation>
    </message>
    <message>
        <source>Get map data for this area…</source>
        <translation>Kartendaten für dieses Gebiet holen…</translation>
    </message>
    <message>
        <source>Places</source>
        <translation>Orte</translation>
    </message>
    <message>
        <source>Save Place...</source>
        <translation>Ort speichern...</translation>
    </message>
    <message>
        <source>The point pressed on the map</source>
        <translation>Der auf der Karte gedrückte Punkt</translation>
    </message>
    <message>
        <source>The place found: %1</source>
        <translation>Der gefundene Ort: %1</translation>
    </message>
    <message>
        <source>My position</source>
        <translation>Meine Position</translation>
    </message>
    <message>
        <source>Map centre</source>
        <translation>Kartenmitte</translation>
    </message>
    <message>
        <source>The centre of the map</source>
        <translation>Die Mitte der Karte</translation>
    </message>
    <message>
        <source>Save Place</source>
        <translation>Ort speichern</translation>
    </message>
    <message>
        <source>Saved place</source>
        <translation>Gespeicherter Ort</translation>
    </message>
    <message>
        <source>Open Link</source>
        <translation>Link öffnen</translation>
    </message>
    <message>
        <source>Record Track</source>
        <translation>Strecke aufzeichnen</translation>
    </message>
    <message>
        <source>Tracks</source>
        <translation>Strecken</translation>
    </message>
    <message>
        <source>Open GPX...</source>
        <translation>GPX öffnen...</translation>
    </message>
    <message>
        <source>Open GPX</source>
        <translation>GPX öffnen</translation>
    </message>
    <message>
        <source>GPX files (*.gpx);;All files (*)</source>
        <translation>GPX-Dateien (*.gpx);;Alle Dateien (*)</translation>
    </message>
    <message>
        <source>The GPX file holds no tracks, routes or waypoints.</source>
        <translation>Die GPX-Datei enthält keine Strecken, Routen oder Wegpunkte.</translation>
    </message>
    <message>
        <source>Voice Guidance</source>
        <translation>Sprachansagen</translation>
    </message>
    <message>
        <source>The map data is missing: run scripts/run once, or import a region in Map Regions</source>
        <translation>Die Kartendaten fehlen: einmal scripts/run ausführen oder unter Kartenregionen eine Region importieren</translation>
    </message>
</context>
<context>
    <name>ManeuverText</name>
    <message>
        <source>You reach your destination</source>
        <translation>Erreichen Sie Ihr Ziel</translation>
    </message>
    <message>
        <source>now</source>
        <translation>jetzt</translation>
    </message>
    <message>
        <source>%1 ft</source>
        <translation>%1 ft</translation>
    </message>
    <message>
        <source>%1 mi</source>
        <translation>%1 mi</translation>
    </message>
    <message>
        <source>%1 m</source>
        <translation>%1 m</translation>
    </message>
    <message>
        <source>%1 km</source>
        <translation>%1 km</translation>
    </message>
    <message>
        <source>In %1 feet, %2</source>
        <translation>In %1 Fuß %2</translation>
    </message>
    <message>
        <source>In %1 miles, %2</source>
        <translation>In %1 Meilen %2</translation>
    </message>
    <message>
        <source>In %1 metres, %2</source>
        <translation>In %1 Metern %2</translation>
    </message>
    <message>
        <source>In %1 kilometres, %2</source>
        <translation>In %1 Kilometern %2</translation>
    </message>
    <message>
        <source>then %1</source>
        <translation>dann %1</translation>
    </message>
    <message>
        <source>You have arrived</source>
        <translation>Sie haben Ihr Ziel erreicht</translation>
    </message>
    <message>
        <source>Rerouting</source>
        <translation>Route wird neu berechnet</translation>
    </message>
    <message>
        <source>Turn around when possible</source>
        <translation>Bitte wenden, wenn möglich</translation>
    </message>
    <message>
        <source>In 1 kilometre, %1</source>
        <translation>In 1 Kilometer %1</translation>
    </message>
</context>
<context>
    <name>MapControls</name>
    <message>
        <source>Zoom in (F7)</source>
        <translation>Vergrößern (F7)</translation>
    </message>
    <message>
        <source>Zoom out (F8)</source>
        <translation>Verkleinern (F8)</translation>
    </message>
    <message>
        <source>Follow my position (Enter)</source>
        <translation>Meiner Position folgen (Enter)</translation>
    </message>
</context>
<context>
    <name>MapRegionsWindow</name>
    <message>
        <source>Map Regions</source>
        <translation>Kartenregionen</translation>
    </message>
    <message>
        <source>Region</source>
        <translation>Region</translation>
    </message>
    <message>
        <source>Area</source>
        <translation>Gebiet</translation>
    </message>
    <message>
        <source>Size</source>
        <translation>Größe</translation>
    </message>
    <message>
        <source>Date</source>
        <translation>Datum</translation>
    </message>
    <message>
        <source>State</source>
        <translation>Zustand</translation>
    </message>
    <message>
        <source>Import from File…</source>
        <translation>Aus Datei importieren…</translation>
    </message>
    <message>
        <source>Download…</source>
        <translation>Herunterladen…</translation>
    </message>
    <message>
        <source>Update</source>
        <translation>Aktualisieren</translation>
    </message>
    <message>
        <source>Delete</source>
        <translation>Löschen</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
    <message numerus="yes">
        <source>%n entries of the service's list were not understood and are not shown.</source>
        <translation>
            <numerusform>%n Eintrag der Liste des Dienstes war unverständlich und wird nicht angezeigt.</numerusform>
            <numerusform>%n Einträge der Liste des Dienstes waren unverständlich und werden nicht angezeigt.</numerusform>
        </translation>
    </message>
    <message>
        <source>downloading</source>
        <translation>wird heruntergeladen</translation>
    </message>
    <message>
        <source>importing: routing database</source>
        <translation>Import: Routendatenbank</translation>
    </message>
    <message>
        <source>importing: street index</source>
        <translation>Import: Straßenverzeichnis</translation>
    </message>
    <message>
        <source>importing: street map</source>
        <translation>Import: Straßenkarte</translation>
    </message>
    <message>
        <source>importing</source>
        <translation>wird importiert</translation>
    </message>
    <message>
        <source>%1 of %2</source>
        <translation>%1 von %2</translation>
    </message>
    <message>
        <source>%1/s</source>
        <translation>%1/s</translation>
    </message>
    <message>
        <source>%1 min left</source>
        <translation>noch %1 min</translation>
    </message>
    <message>
        <source>failed: %1</source>
        <translation>fehlgeschlagen: %1</translation>
    </message>
    <message>
        <source>ready</source>
        <translation>bereit</translation>
    </message>
    <message>
        <source>No regions: the map has streets nowhere. Import a file or download an area.</source>
        <translation>Keine Regionen: Die Karte hat nirgends Straßen. Importieren Sie eine Datei oder laden Sie ein Gebiet herunter.</translation>
    </message>
    <message>
        <source>Import from File</source>
        <translation>Aus Datei importieren</translation>
    </message>
    <message>
        <source>OpenStreetMap extracts (*.osm.pbf *.pbf)</source>
        <translation>OpenStreetMap-Auszüge (*.osm.pbf *.pbf)</translation>
    </message>
    <message>
        <source>Importing %1.</source>
        <translation>%1 wird importiert.</translation>
    </message>
    <message>
        <source>Loading the catalogue…</source>
        <translation>Katalog wird geladen…</translation>
    </message>
    <message>
        <source>The catalogue lists no extract to download.</source>
        <translation>Der Katalog enthält keinen Auszug zum Herunterladen.</translation>
    </message>
    <message>
        <source>Downloading %1.</source>
        <translation>%1 wird heruntergeladen.</translation>
    </message>
    <message>
        <source>%1 is up to date.</source>
        <translation>%1 ist aktuell.</translation>
    </message>
    <message>
        <source>Updating %1.</source>
        <translation>%1 wird aktualisiert.</translation>
    </message>
    <message>
        <source>Delete Region</source>
        <translation>Region löschen</translation>
    </message>
    <message>
        <source>Delete the region %1? Its streets, search index and routes are removed from this computer (%2).</source>
        <translation>Die Region %1 löschen? Ihre Straßen, ihr Suchindex und ihre Routen werden von diesem Computer entfernt (%2).</translation>
    </message>
    <message>
        <source>%1 was deleted.</source>
        <translation>%1 wurde gelöscht.</translation>
    </message>
    <message>
        <source>Cancelled.</source>
        <translation>Abgebrochen.</translation>
    </message>
    <message>
        <source>%1 is ready.</source>
        <translation>%1 ist bereit.</translation>
    </message>
    <message>
        <source>%1 failed: %2</source>
        <translation>%1 fehlgeschlagen: %2</translation>
    </message>
</context>
<context>
    <name>MapServiceLauncher</name>
    <message>
        <source>it accepts connections but gave no answer</source>
        <translation>es nimmt Verbindungen an, antwortet aber nicht</translation>
    </message>
    <message>
        <source>it answered HTTP %1%2 instead of naming itself</source>
        <translation>es antwortete mit HTTP %1%2, statt sich zu nennen</translation>
    </message>
    <message>
        <source> as "%1"</source>
        <translation> als „%1“</translation>
    </message>
    <message>
        <source>Port %1 on this computer is taken by another program, not Marlu's map service: %2</source>
        <translation>Port %1 auf diesem Computer ist von einem anderen Programm belegt, nicht von Marlus Kartendienst: %2</translation>
    </message>
</context>
<context>
    <name>MapServicesDialog</name>
    <message>
        <source>Offline (this computer)</source>
        <translation>Offline (dieser Computer)</translation>
    </message>
    <message>
        <source>Tiles are drawn by the map service from your regions.</source>
        <translation>Der Kartendienst zeichnet die Karte aus Ihren Regionen.</translation>
    </message>
    <message>
        <source>OpenStreetMap standard layer</source>
        <translation>OpenStreetMap-Standardkarte</translation>
    </message>
    <message>
        <source>Run by volunteers: light use only, no bulk downloading (tile usage policy: https://operations.osmfoundation.org/policies/tiles/). © OpenStreetMap contributors.</source>
        <translation>Von Freiwilligen betrieben: nur für leichte Nutzung, keine Massendownloads (Nutzungsrichtlinie: https://operations.osmfoundation.org/policies/tiles/). © OpenStreetMap-Mitwirkende.</translation>
    </message>
    <message>
        <source>Custom tile server</source>
        <translation>Eigener Kartenserver</translation>
    </message>
    <message>
        <source>A URL template with {z}, {x} and {y}; follow the server's usage policy and name its data's source.</source>
        <translation>Eine URL-Vorlage mit {z}, {x} und {y}; beachten Sie die Nutzungsrichtlinie des Servers und nennen Sie die Quelle seiner Daten.</translation>
    </message>
    <message>
        <source>Searches the world's places and your regions' streets.</source>
        <translation>Sucht die Orte der Welt und die Straßen Ihrer Regionen.</translation>
    </message>
    <message>
        <source>At most one search a second, no automated bulk searches (https://operations.osmfoundation.org/policies/nominatim/). Your searches go to the OpenStreetMap Foundation. © OpenStreetMap contributors.</source>
        <translation>Höchstens eine Suche pro Sekunde, keine automatisierten Massensuchen (https://operations.osmfoundation.org/policies/nominatim/). Ihre Suchen gehen an die OpenStreetMap Foundation. © OpenStreetMap-Mitwirkende.</translation>
    </message>
    <message>
        <source>A public demo server for light use, run by komoot; your searches go there. © OpenStreetMap contributors.</source>
        <translation>Ein öffentlicher Demoserver von komoot für leichte Nutzung; Ihre Suchen gehen dorthin. © OpenStreetMap-Mitwirkende.</translation>
    </message>
    <message>
        <source>Custom Nominatim server</source>
        <translation>Eigener Nominatim-Server</translation>
    </message>
    <message>
        <source>The base URL of a Nominatim server.</source>
        <translation>Die Basis-URL eines Nominatim-Servers.</translation>
    </message>
    <message>
        <source>Custom Photon server</source>
        <translation>Eigener Photon-Server</translation>
    </message>
    <message>
        <source>The base URL of a Photon server.</source>
        <translation>Die Basis-URL eines Photon-Servers.</translation>
    </message>
    <message>
        <source>Routes inside your regions.</source>
        <translation>Routen innerhalb Ihrer Regionen.</translation>
    </message>
    <message>
        <source>OSRM demo server</source>
        <translation>OSRM-Demoserver</translation>
    </message>
    <message>
        <source>A demo server for light, non-commercial use, car routes only; your start and destination go there. © OpenStreetMap contributors.</source>
        <translation>Ein Demoserver für leichte, nicht kommerzielle Nutzung, nur Autorouten; Ihr Start und Ziel gehen dorthin. © OpenStreetMap-Mitwirkende.</translation>
    </message>
    <message>
        <source>Custom OSRM server</source>
        <translation>Eigener OSRM-Server</translation>
    </message>
    <message>
        <source>The base URL of an OSRM server.</source>
        <translation>Die Basis-URL eines OSRM-Servers.</translation>
    </message>
    <message>
        <source>Map Services</source>
        <translation>Kartendienste</translation>
    </message>
    <message>
        <source>Map tiles</source>
        <translation>Kartenkacheln</translation>
    </message>
    <message>
        <source>Address search</source>
        <translation>Adresssuche</translation>
    </message>
    <message>
        <source>Routes</source>
        <translation>Routen</translation>
    </message>
    <message>
        <source>Asking the map service…</source>
        <translation>Der Kartendienst wird gefragt…</translation>
    </message>
    <message>
        <source>A server's URL must start with http:// or https://.</source>
        <translation>Die URL eines Servers muss mit http:// oder https:// beginnen.</translation>
    </message>
    <message>
        <source>Saving…</source>
        <translation>Wird gespeichert…</translation>
    </message>
    <message>
        <source>Checking the tile server's URL…</source>
        <translation>Die URL des Kachelservers wird geprüft…</translation>
    </message>
</context>
<context>
    <name>NetworkErrorText</name>
    <message>
        <source>The service did not answer within 1 second.</source>
        <translation>Der Dienst hat nicht innerhalb von 1 Sekunde geantwortet.</translation>
    </message>
    <message>
        <source>The service did not answer within %1 seconds.</source>
        <translation>Der Dienst hat nicht innerhalb von %1 Sekunden geantwortet.</translation>
    </message>
    <message>
        <source>Cannot reach the map service at %1 (connection refused).</source>
        <translation>Der Kartendienst unter %1 ist nicht erreichbar (Verbindung abgelehnt).</translation>
    </message>
    <message>
        <source>Network error: </source>
        <translation>Netzwerkfehler: </translation>
    </message>
</context>
<context>
    <name>NorthArrow</name>
    <message>
        <source>North</source>
        <translation>Norden</translation>
    </message>
</context>
<context>
    <name>QObject</name>
    <message>
        <source>unknown</source>
        <translation>unbekannt</translation>
    </message>
</context>
<context>
    <name>ServiceApi</name>
    <message>
        <source>It is not Marlu's map service.</source>
        <translation>Es ist nicht Marlus Kartendienst.</translation>
    </message>
    <message>
        <source>The map host %1 is not the map service on this computer.</source>
        <translation>Der Kartenserver %1 ist nicht der Kartendienst auf diesem Computer.</translation>
    </message>
    <message>
        <source>The map service's answer is larger than %1 MiB.</source>
        <translation>Die Antwort des Kartendienstes ist größer als %1 MiB.</translation>
    </message>
    <message>
        <source>The map service refused the request: %1</source>
        <translation>Der Kartendienst hat die Anfrage abgelehnt: %1</translation>
    </message>
    <message>
        <source>it does not accept this user's key.</source>
        <translation>er akzeptiert den Schlüssel dieses Benutzers nicht.</translation>
    </message>
    <message>
        <source>The map service answered HTTP %1.</source>
        <translation>Der Kartendienst antwortete mit HTTP %1.</translation>
    </message>
    <message>
        <source>The map service's answer is not the JSON object expected.</source>
        <translation>Die Antwort des Kartendienstes ist nicht das erwartete JSON-Objekt.</translation>
    </message>
    <message>
        <source>The map service did not answer within %1 s.</source>
        <translation>Der Kartendienst hat nicht innerhalb von %1 s geantwortet.</translation>
    </message>
    <message>
        <source>The map service did not answer: %1</source>
        <translation>Der Kartendienst hat nicht geantwortet: %1</translation>
    </message>
</context>
<context>
    <name>ServiceReply</name>
    <message>
        <source>The service's reply could not be read.</source>
        <translation>Die Antwort des Dienstes konnte nicht gelesen werden.</translation>
    </message>
    <message>
        <source>The service took too long to answer.</source>
        <translation>Der Dienst hat zu lange für die Antwort gebraucht.</translation>
    </message>
</context>
<context>
    <name>SizeText</name>
    <message>
        <source>%1 KB</source>
        <translation>%1 KB</translation>
    </message>
    <message>
        <source>%1 MB</source>
        <translation>%1 MB</translation>
    </message>
    <message>
        <source>%1 GB</source>
        <translation>%1 GB</translation>
    </message>
</context>
<context>
    <name>TripFigures</name>
    <message>
        <source>%1 ft</source>
        <translation>%1 ft</translation>
    </message>
    <message>
        <source>%1 mi</source>
        <translation>%1 mi</translation>
    </message>
    <message>
        <source>%1 m</source>
        <translation>%1 m</translation>
    </message>
    <message>
        <source>%1 km</source>
        <translation>%1 km</translation>
    </message>
    <message>
        <source>%1 min</source>
        <translation>%1 Min.</translation>
    </message>
    <message>
        <source>%1 h</source>
        <translation>%1 Std.</translation>
    </message>
    <message>
        <source>%1 h %2 min</source>
        <translation>%1 Std. %2 Min.</translation>
    </message>
    <message>
        <source>via %1</source>
        <translation>über %1</translation>
    </message>
    <message>
        <source>%1 s</source>
        <translation>%1 s</translation>
    </message>
</context>
<context>
    <name>KeyFile</name>
    <message>
        <source>The map service's key %1 is a symbolic link, not the key file.</source>
        <translation>Der Schlüssel %1 des Kartendienstes ist ein symbolischer Link, nicht die Schlüsseldatei.</translation>
    </message>
    <message>
        <source>The map service's key %1 cannot be read: %2.</source>
        <translation>Der Schlüssel %1 des Kartendienstes kann nicht gelesen werden: %2.</translation>
    </message>
    <message>
        <source>The map service's key %1 is not a plain file.</source>
        <translation>Der Schlüssel %1 des Kartendienstes ist keine gewöhnliche Datei.</translation>
    </message>
    <message>
        <source>The map service's key %1 belongs to another user.</source>
        <translation>Der Schlüssel %1 des Kartendienstes gehört einem anderen Benutzer.</translation>
    </message>
    <message>
        <source>The map service's key %1 can be read by other users.</source>
        <translation>Der Schlüssel %1 des Kartendienstes kann von anderen Benutzern gelesen werden.</translation>
    </message>
    <message>
        <source>The map service's key %1 is not 64 hexadecimal characters.</source>
        <translation>Der Schlüssel %1 des Kartendienstes besteht nicht aus 64 Hexadezimalzeichen.</translation>
    </message>
</context>
<context>
    <name>ListenerOwner</name>
    <message>
        <source>the port is held by another user's program (user id %1)</source>
        <translation>der Port gehört dem Programm eines anderen Benutzers (Benutzerkennung %1)</translation>
    </message>
    <message>
        <source>the port is held by a program that is none of this user's</source>
        <translation>der Port gehört einem Programm, das nicht diesem Benutzer gehört</translation>
    </message>
</context>
<context>
    <name>ServiceProof</name>
    <message>
        <source>It passes on the answers of Marlu's map service at %1: a program in between relays it.</source>
        <translation>Es gibt die Antworten von Marlus Kartendienst unter %1 weiter: ein Programm dazwischen leitet sie weiter.</translation>
    </message>
    <message>
        <source>another address</source>
        <translation>einer anderen Adresse</translation>
    </message>
    <message>
        <source>It calls itself Marlu's map service but does not know this user's key.</source>
        <translation>Es nennt sich Marlus Kartendienst, kennt aber den Schlüssel dieses Benutzers nicht.</translation>
    </message>
    <message>
        <source>It answers as Marlu's map service, but %1.</source>
        <translation>Es antwortet als Marlus Kartendienst, aber %1.</translation>
    </message>
</context>
<context>
    <name>FavouriteStore</name>
    <message>
        <source>it is too large</source>
        <translation>sie ist zu groß</translation>
    </message>
    <message>
        <source>The saved places could not be read: %1.</source>
        <translation>Die gespeicherten Orte konnten nicht gelesen werden: %1.</translation>
    </message>
    <message>
        <source>it holds no list of places</source>
        <translation>sie enthält keine Liste von Orten</translation>
    </message>
    <message>
        <source>entry %1 is not a place</source>
        <translation>Eintrag %1 ist kein Ort</translation>
    </message>
    <message>
        <source>The saved places could not be read (%1); the file was kept as %2.</source>
        <translation>Die gespeicherten Orte konnten nicht gelesen werden (%1); die Datei wurde als %2 aufbewahrt.</translation>
    </message>
    <message>
        <source>The saved places could not be read (%1); the file was left as it is and no place will be saved.</source>
        <translation>Die gespeicherten Orte konnten nicht gelesen werden (%1); die Datei bleibt unverändert, und es werden keine Orte gespeichert.</translation>
    </message>
    <message>
        <source>A place needs a name and a position on the map.</source>
        <translation>Ein Ort braucht einen Namen und eine Position auf der Karte.</translation>
    </message>
    <message>
        <source>There are %1 saved places already; delete some first.</source>
        <translation>Es sind bereits %1 Orte gespeichert; löschen Sie zuerst einige.</translation>
    </message>
    <message>
        <source>A place needs a name.</source>
        <translation>Ein Ort braucht einen Namen.</translation>
    </message>
    <message>
        <source>The places could not be saved: %1.</source>
        <translation>Die Orte konnten nicht gespeichert werden: %1.</translation>
    </message>
</context>
<context>
    <name>GeoUri</name>
    <message>
        <source>The geo: link is too long.</source>
        <translation>Der geo:-Link ist zu lang.</translation>
    </message>
    <message>
        <source>This is not a geo: link.</source>
        <translation>Das ist kein geo:-Link.</translation>
    </message>
    <message>
        <source>The geo: link does not name a place on Earth.</source>
        <translation>Der geo:-Link bezeichnet keinen Ort auf der Erde.</translation>
    </message>
    <message>
        <source>The geo: link uses a coordinate system Marlu does not know.</source>
        <translation>Der geo:-Link verwendet ein Koordinatensystem, das Marlu nicht kennt.</translation>
    </message>
</context>
<context>
    <name>GpxReader</name>
    <message>
        <source>%1 is not a file that can be shown.</source>
        <translation>%1 ist keine Datei, die angezeigt werden kann.</translation>
    </message>
    <message>
        <source>The file %1 could not be opened: %2.</source>
        <translation>Die Datei %1 konnte nicht geöffnet werden: %2.</translation>
    </message>
    <message>
        <source>The file %1 is too large to show (%2 MB; at most %3 MB).</source>
        <translation>Die Datei %1 ist zu groß zum Anzeigen (%2 MB; höchstens %3 MB).</translation>
    </message>
    <message>
        <source>it declares a document type, which GPX files do not</source>
        <translation>sie deklariert einen Dokumenttyp, was GPX-Dateien nicht tun</translation>
    </message>
    <message>
        <source>it is not a GPX 1.0 or 1.1 file</source>
        <translation>sie ist keine GPX-1.0- oder -1.1-Datei</translation>
    </message>
    <message>
        <source>it is empty</source>
        <translation>sie ist leer</translation>
    </message>
    <message>
        <source>The GPX file cannot be shown: %1 (line %2).</source>
        <translation>Die GPX-Datei kann nicht angezeigt werden: %1 (Zeile %2).</translation>
    </message>
    <message>
        <source>its elements are nested too deeply</source>
        <translation>ihre Elemente sind zu tief verschachtelt</translation>
    </message>
    <message>
        <source>it holds more than %1 points</source>
        <translation>sie enthält mehr als %1 Punkte</translation>
    </message>
    <message>
        <source>a point has no valid position</source>
        <translation>ein Punkt hat keine gültige Position</translation>
    </message>
</context>
<context>
    <name>PlacesDlg</name>
    <message>
        <source>Places</source>
        <translation>Orte</translation>
    </message>
    <message>
        <source>Sorted by name</source>
        <translation>Nach Name sortiert</translation>
    </message>
    <message>
        <source>Sorted by distance</source>
        <translation>Nach Entfernung sortiert</translation>
    </message>
    <message>
        <source>Show</source>
        <translation>Zeigen</translation>
    </message>
    <message>
        <source>Route Here</source>
        <translation>Route hierher</translation>
    </message>
    <message>
        <source>Rename</source>
        <translation>Umbenennen</translation>
    </message>
    <message>
        <source>Delete</source>
        <translation>Löschen</translation>
    </message>
    <message>
        <source>Home</source>
        <translation>Zuhause</translation>
    </message>
    <message>
        <source>Work</source>
        <translation>Arbeit</translation>
    </message>
    <message>
        <source>not set: save a place as this</source>
        <translation>nicht gesetzt: speichern Sie einen Ort als diesen</translation>
    </message>
    <message>
        <source>Name</source>
        <translation>Name</translation>
    </message>
    <message>
        <source>Delete "%1"?</source>
        <translation>„%1“ löschen?</translation>
    </message>
</context>
<context>
    <name>SavePlaceDlg</name>
    <message>
        <source>Save Place</source>
        <translation>Ort speichern</translation>
    </message>
    <message>
        <source>Place</source>
        <translation>Ort</translation>
    </message>
    <message>
        <source>Name</source>
        <translation>Name</translation>
    </message>
    <message>
        <source>A place</source>
        <translation>Ein Ort</translation>
    </message>
    <message>
        <source>Home</source>
        <translation>Zuhause</translation>
    </message>
    <message>
        <source>Work</source>
        <translation>Arbeit</translation>
    </message>
    <message>
        <source>Save as</source>
        <translation>Speichern als</translation>
    </message>
</context>
<context>
    <name>TrackRecorder</name>
    <message>
        <source>The track could not be written to %1: %2.</source>
        <translation>Die Strecke konnte nicht in %1 geschrieben werden: %2.</translation>
    </message>
</context>
<context>
    <name>TracksDlg</name>
    <message>
        <source>Tracks</source>
        <translation>Strecken</translation>
    </message>
    <message>
        <source>Show on Map</source>
        <translation>Auf der Karte zeigen</translation>
    </message>
    <message>
        <source>Export...</source>
        <translation>Exportieren...</translation>
    </message>
    <message>
        <source>Rename</source>
        <translation>Umbenennen</translation>
    </message>
    <message>
        <source>Delete</source>
        <translation>Löschen</translation>
    </message>
    <message>
        <source>%1 km/h</source>
        <translation>%1 km/h</translation>
    </message>
    <message>
        <source>No tracks recorded yet: switch on "Record Track" in the menu.</source>
        <translation>Noch keine Strecken aufgezeichnet: schalten Sie im Menü „Strecke aufzeichnen“ ein.</translation>
    </message>
    <message>
        <source>Export Track</source>
        <translation>Strecke exportieren</translation>
    </message>
    <message>
        <source>GPX files (*.gpx)</source>
        <translation>GPX-Dateien (*.gpx)</translation>
    </message>
    <message>
        <source>%1 could not be replaced.</source>
        <translation>%1 konnte nicht ersetzt werden.</translation>
    </message>
    <message>
        <source>The track could not be copied to %1.</source>
        <translation>Die Strecke konnte nicht nach %1 kopiert werden.</translation>
    </message>
    <message>
        <source>Name</source>
        <translation>Name</translation>
    </message>
    <message>
        <source>There is a track named so already, or the name cannot be used.</source>
        <translation>Es gibt bereits eine Strecke mit diesem Namen, oder der Name ist nicht verwendbar.</translation>
    </message>
    <message>
        <source>Delete the track %1?</source>
        <translation>Die Strecke %1 löschen?</translation>
    </message>
    <message>
        <source>The track could not be deleted.</source>
        <translation>Die Strecke konnte nicht gelöscht werden.</translation>
    </message>
</context>
<context>
    <name>PlaceKind</name>
    <message>
        <source>Pharmacy</source>
        <translation>Apotheke</translation>
    </message>
    <message>
        <source>Restaurant</source>
        <translation>Restaurant</translation>
    </message>
    <message>
        <source>Café</source>
        <translation>Café</translation>
    </message>
    <message>
        <source>Bar</source>
        <translation>Bar</translation>
    </message>
    <message>
        <source>Hotel</source>
        <translation>Hotel</translation>
    </message>
    <message>
        <source>Fuel</source>
        <translation>Tankstelle</translation>
    </message>
    <message>
        <source>Supermarket</source>
        <translation>Supermarkt</translation>
    </message>
    <message>
        <source>Parking</source>
        <translation>Parkplatz</translation>
    </message>
    <message>
        <source>Toilets</source>
        <translation>Toiletten</translation>
    </message>
    <message>
        <source>Casino</source>
        <translation>Kasino</translation>
    </message>
    <message>
        <source>Region</source>
        <translation>Region</translation>
    </message>
    <message>
        <source>District</source>
        <translation>Stadtteil</translation>
    </message>
    <message>
        <source>Postcode</source>
        <translation>Postleitzahl</translation>
    </message>
    <message>
        <source>Place of interest</source>
        <translation>Sehenswürdigkeit</translation>
    </message>
</context>
<context>
    <name>Maneuver</name>
    <message>
        <source>Turn left</source>
        <translation>Links abbiegen</translation>
    </message>
    <message>
        <source>Turn left onto %1</source>
        <translation>Links abbiegen auf %1</translation>
    </message>
    <message>
        <source>Turn right</source>
        <translation>Rechts abbiegen</translation>
    </message>
    <message>
        <source>Turn right onto %1</source>
        <translation>Rechts abbiegen auf %1</translation>
    </message>
    <message>
        <source>Bear left</source>
        <translation>Leicht links halten</translation>
    </message>
    <message>
        <source>Bear left onto %1</source>
        <translation>Leicht links auf %1</translation>
    </message>
    <message>
        <source>Bear right</source>
        <translation>Leicht rechts halten</translation>
    </message>
    <message>
        <source>Bear right onto %1</source>
        <translation>Leicht rechts auf %1</translation>
    </message>
    <message>
        <source>Turn sharp left</source>
        <translation>Scharf links abbiegen</translation>
    </message>
    <message>
        <source>Turn sharp left onto %1</source>
        <translation>Scharf links abbiegen auf %1</translation>
    </message>
    <message>
        <source>Turn sharp right</source>
        <translation>Scharf rechts abbiegen</translation>
    </message>
    <message>
        <source>Turn sharp right onto %1</source>
        <translation>Scharf rechts abbiegen auf %1</translation>
    </message>
    <message>
        <source>Make a U-turn</source>
        <translation>Wenden</translation>
    </message>
    <message>
        <source>Make a U-turn onto %1</source>
        <translation>Wenden auf %1</translation>
    </message>
    <message>
        <source>Keep left</source>
        <translation>Links halten</translation>
    </message>
    <message>
        <source>Keep left onto %1</source>
        <translation>Links halten auf %1</translation>
    </message>
    <message>
        <source>Keep right</source>
        <translation>Rechts halten</translation>
    </message>
    <message>
        <source>Keep right onto %1</source>
        <translation>Rechts halten auf %1</translation>
    </message>
    <message>
        <source>Keep left at the fork</source>
        <translation>An der Gabelung links halten</translation>
    </message>
    <message>
        <source>Keep left at the fork onto %1</source>
        <translation>An der Gabelung links halten auf %1</translation>
    </message>
    <message>
        <source>Keep right at the fork</source>
        <translation>An der Gabelung rechts halten</translation>
    </message>
    <message>
        <source>Keep right at the fork onto %1</source>
        <translation>An der Gabelung rechts halten auf %1</translation>
    </message>
    <message>
        <source>Take the ramp on the left</source>
        <translation>Die Ausfahrt links nehmen</translation>
    </message>
    <message>
        <source>Take the ramp on the left onto %1</source>
        <translation>Die Ausfahrt links nehmen auf %1</translation>
    </message>
    <message>
        <source>Take the ramp on the right</source>
        <translation>Die Ausfahrt rechts nehmen</translation>
    </message>
    <message>
        <source>Take the ramp on the right onto %1</source>
        <translation>Die Ausfahrt rechts nehmen auf %1</translation>
    </message>
    <message>
        <source>Enter the roundabout</source>
        <translation>In den Kreisverkehr einfahren</translation>
    </message>
    <message>
        <source>Merge</source>
        <translation>Einfädeln</translation>
    </message>
    <message>
        <source>Merge onto %1</source>
        <translation>Einfädeln auf %1</translation>
    </message>
    <message>
        <source>Continue straight</source>
        <translation>Geradeaus weiterfahren</translation>
    </message>
    <message>
        <source>Continue on %1</source>
        <translation>Weiter auf %1</translation>
    </message>
    <message>
        <source>Turn left toward %1</source>
        <translation>Links abbiegen Richtung %1</translation>
    </message>
    <message>
        <source>Turn right toward %1</source>
        <translation>Rechts abbiegen Richtung %1</translation>
    </message>
    <message>
        <source>Bear left toward %1</source>
        <translation>Leicht links halten Richtung %1</translation>
    </message>
    <message>
        <source>Bear right toward %1</source>
        <translation>Leicht rechts halten Richtung %1</translation>
    </message>
    <message>
        <source>Turn sharp left toward %1</source>
        <translation>Scharf links abbiegen Richtung %1</translation>
    </message>
    <message>
        <source>Turn sharp right toward %1</source>
        <translation>Scharf rechts abbiegen Richtung %1</translation>
    </message>
    <message>
        <source>Make a U-turn toward %1</source>
        <translation>Wenden Richtung %1</translation>
    </message>
    <message>
        <source>Keep left toward %1</source>
        <translation>Links halten Richtung %1</translation>
    </message>
    <message>
        <source>Keep right toward %1</source>
        <translation>Rechts halten Richtung %1</translation>
    </message>
    <message>
        <source>Keep left at the fork toward %1</source>
        <translation>An der Gabelung links halten Richtung %1</translation>
    </message>
    <message>
        <source>Keep right at the fork toward %1</source>
        <translation>An der Gabelung rechts halten Richtung %1</translation>
    </message>
    <message>
        <source>Take the ramp on the left toward %1</source>
        <translation>Die Ausfahrt links nehmen Richtung %1</translation>
    </message>
    <message>
        <source>Take the ramp on the right toward %1</source>
        <translation>Die Ausfahrt rechts nehmen Richtung %1</translation>
    </message>
    <message>
        <source>Merge toward %1</source>
        <translation>Einfädeln Richtung %1</translation>
    </message>
    <message>
        <source>Continue straight toward %1</source>
        <translation>Geradeaus weiterfahren Richtung %1</translation>
    </message>
    <message>
        <source>At the roundabout, take the %1 exit onto %2</source>
        <translation>Im Kreisverkehr die %1 Ausfahrt nehmen auf %2</translation>
    </message>
    <message>
        <source>At the roundabout, take the %1 exit</source>
        <translation>Im Kreisverkehr die %1 Ausfahrt nehmen</translation>
    </message>
    <message>
        <source>Enter the roundabout and leave it onto %1</source>
        <translation>In den Kreisverkehr einfahren und ihn auf %1 verlassen</translation>
    </message>
    <message>
        <source>%1th</source>
        <translation>%1.</translation>
    </message>
    <message>
        <source>%1st</source>
        <translation>%1.</translation>
    </message>
    <message>
        <source>%1nd</source>
        <translation>%1.</translation>
    </message>
    <message>
        <source>%1rd</source>
        <translation>%1.</translation>
    </message>
    <message>
        <source>Head north</source>
        <translation>Richtung Norden fahren</translation>
    </message>
    <message>
        <source>Head northeast</source>
        <translation>Richtung Nordosten fahren</translation>
    </message>
    <message>
        <source>Head east</source>
        <translation>Richtung Osten fahren</translation>
    </message>
    <message>
        <source>Head southeast</source>
        <translation>Richtung Südosten fahren</translation>
    </message>
    <message>
        <source>Head south</source>
        <translation>Richtung Süden fahren</translation>
    </message>
    <message>
        <source>Head southwest</source>
        <translation>Richtung Südwesten fahren</translation>
    </message>
    <message>
        <source>Head west</source>
        <translation>Richtung Westen fahren</translation>
    </message>
    <message>
        <source>Head northwest</source>
        <translation>Richtung Nordwesten fahren</translation>
    </message>
    <message>
        <source>%1 on %2</source>
        <translation>%1 auf %2</translation>
    </message>
    <message>
        <source>Your destination is on the left</source>
        <translation>Ihr Ziel liegt links</translation>
    </message>
    <message>
        <source>Your destination is on the right</source>
        <translation>Ihr Ziel liegt rechts</translation>
    </message>
    <message>
        <source>%1. %2</source>
        <translation>%1. %2</translation>
    </message>
</context>
</TS>
