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
        <source>The map page %1 could not be loaded.
Would you like to try again?</source>
        <translation>Die Kartenseite %1 konnte nicht geladen werden.
Erneut versuchen?</translation>
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
        <source>Voice Guidance</source>
        <translation>Sprachansagen</translation>
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
    <name>ServiceReply</name>
    <message>
        <source>The service&apos;s reply could not be read.</source>
        <translation>Die Antwort des Dienstes konnte nicht gelesen werden.</translation>
    </message>
    <message>
        <source>The service took too long to answer.</source>
        <translation>Der Dienst hat zu lange für die Antwort gebraucht.</translation>
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
</context>
<context>
    <name>GuidanceBanner</name>
    <message>
        <source>%1 · %2 · arrival %3</source>
        <translation>%1 · %2 · Ankunft %3</translation>
    </message>
</context>
<context>
    <name>ManeuverText</name>
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
        <source>Enter the roundabout toward %1</source>
        <translation>In den Kreisverkehr einfahren Richtung %1</translation>
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
        <source>%1 min</source>
        <translation>%1 min</translation>
    </message>
    <message>
        <source>%1 h %2 min</source>
        <translation>%1 Std. %2 min</translation>
    </message>
    <message>
        <source>You have arrived</source>
        <translation>Sie haben Ihr Ziel erreicht</translation>
    </message>
    <message>
        <source>Rerouting</source>
        <translation>Route wird neu berechnet</translation>
    </message>
</context>
</TS>
