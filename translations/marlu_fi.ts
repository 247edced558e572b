<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="fi_FI">
<context>
    <name>AboutBox</name>
    <message>
        <source>About Marlu</source>
        <translation>Tietoja Marlusta</translation>
    </message>
    <message>
        <source>Marlu %1
Map and navigation</source>
        <translation>Marlu %1
Kartta ja navigointi</translation>
    </message>
    <message>
        <source>Licensed under the GNU General Public License, version 3 or later.

Map data © OpenStreetMap contributors (ODbL).
Places from GeoNames (CC BY 4.0).
Country shapes from Natural Earth.
Satellite imagery: NASA Blue Marble.
Routes by Routino; the map page uses Leaflet.</source>
        <translation>Lisensoitu GNU General Public License -lisenssillä, versio 3 tai myöhempi.

Karttatiedot © OpenStreetMapin tekijät (ODbL).
Paikat: GeoNames (CC BY 4.0).
Maiden rajat: Natural Earth.
Satelliittikuvat: NASA Blue Marble.
Reitit: Routino; karttasivu käyttää Leafletia.</translation>
    </message>
</context>
<context>
    <name>ApplicationMenu</name>
    <message>
        <source>Menu</source>
        <translation>Valikko</translation>
    </message>
</context>
<context>
    <name>CurrDirectionsDlg</name>
    <message>
        <source>Driving</source>
        <translation>Autolla</translation>
    </message>
    <message>
        <source>Walking</source>
        <translation>Kävellen</translation>
    </message>
    <message>
        <source>Cycling</source>
        <translation>Pyörällä</translation>
    </message>
    <message>
        <source>%1 from %2 to %3</source>
        <translation>%1: %2 – %3</translation>
    </message>
    <message>
        <source>%1, %2</source>
        <translation>%1, %2</translation>
    </message>
    <message>
        <source>Dialog</source>
        <translation>Ikkuna</translation>
    </message>
    <message>
        <source>Recalculate</source>
        <translation>Laske uudelleen</translation>
    </message>
    <message>
        <source>Clear</source>
        <translation>Poista</translation>
    </message>
    <message>
        <source>New</source>
        <translation>Uusi</translation>
    </message>
    <message>
        <source>Copyright...</source>
        <translation>Tekijänoikeudet...</translation>
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
        <translation>Reittiohjeet</translation>
    </message>
    <message>
        <source>Start:</source>
        <translation>Lähtö:</translation>
    </message>
    <message>
        <source>Destination:</source>
        <translation>Määränpää:</translation>
    </message>
    <message>
        <source>Driving</source>
        <translation>Autolla</translation>
    </message>
    <message>
        <source>Walking</source>
        <translation>Kävellen</translation>
    </message>
    <message>
        <source>Bicycling</source>
        <translation>Pyörällä</translation>
    </message>
    <message>
        <source>Avoid Tolls</source>
        <translation>Vältä tietulleja</translation>
    </message>
    <message>
        <source>Avoid Highways</source>
        <translation>Vältä moottoriteitä</translation>
    </message>
    <message>
        <source>Metric</source>
        <translation>Metrinen</translation>
    </message>
    <message>
        <source>Imperial</source>
        <translation>Imperiaalinen</translation>
    </message>
    <message>
        <source>Multiple Alternatives</source>
        <translation>Vaihtoehtoiset reitit</translation>
    </message>
    <message>
        <source>Calculate Directions</source>
        <translation>Laske reitti</translation>
    </message>
</context>
<context>
    <name>FindDlg</name>
    <message>
        <source>Find Address</source>
        <translation>Etsi osoite</translation>
    </message>
    <message>
        <source>Maple Hollows</source>
        <translation>Helsinki</translation>
    </message>
    <message>
        <source>Search</source>
        <translation>Hae</translation>
    </message>
    <message>
        <source>Type a place to search for.</source>
        <translation>Kirjoita haettava paikka.</translation>
    </message>
</context>
<context>
    <name>FullScreenExitButton</name>
    <message>
        <source>Leave fullscreen (Esc)</source>
        <translation>Poistu koko näytöstä (Esc)</translation>
    </message>
</context>
<context>
    <name>GeocodeRequester</name>
    <message>
        <source>No results found.</source>
        <translation>Tuloksia ei löytynyt.</translation>
    </message>
    <message>
        <source>Service returned status: </source>
        <translation>Palvelu palautti tilan: </translation>
    </message>
</context>
<context>
    <name>GoogleDirections</name>
    <message>
        <source>No results found.</source>
        <translation>Tuloksia ei löytynyt.</translation>
    </message>
    <message>
        <source>Service returned status: </source>
        <translation>Palvelu palautti tilan: </translation>
    </message>
</context>
<context>
    <name>Maemo5Wnd</name>
    <message>
        <source>Orientation</source>
        <translation>Suunta</translation>
    </message>
    <message>
        <source>Auto</source>
        <translation>Automaattinen</translation>
    </message>
    <message>
        <source>Landscape</source>
        <translation>Vaaka</translation>
    </message>
    <message>
        <source>Portrait</source>
        <translation>Pysty</translation>
    </message>
    <message>
        <source>Fullscreen</source>
        <translation>Koko näyttö</translation>
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
        <translation>Kartan lataus epäonnistui</translation>
    </message>
    <message>
        <source>The map page %1 could not be loaded.
Would you like to try again?</source>
        <translation>Karttasivua %1 ei voitu ladata.
Yritetäänkö uudelleen?</translation>
    </message>
    <message>
        <source>Your own position is not known yet: type a start address.</source>
        <translation>Omaa sijaintia ei vielä tiedetä: kirjoita lähtöosoite.</translation>
    </message>
    <message>
        <source>Directions</source>
        <translation>Reittiohjeet</translation>
    </message>
    <message>
        <source>Type a start address.</source>
        <translation>Kirjoita lähtöosoite.</translation>
    </message>
    <message>
        <source>Directions - Destination</source>
        <translation>Reittiohjeet - Määränpää</translation>
    </message>
    <message>
        <source>Type a place to search for.</source>
        <translation>Kirjoita haettava paikka.</translation>
    </message>
    <message>
        <source>Destination Address</source>
        <translation>Määränpään osoite</translation>
    </message>
    <message>
        <source>Hybrid</source>
        <translation>Yhdistelmä</translation>
    </message>
    <message>
        <source>Road Map</source>
        <translation>Tiekartta</translation>
    </message>
    <message>
        <source>Satellite</source>
        <translation>Satelliitti</translation>
    </message>
    <message>
        <source>Terrain</source>
        <translation>Maasto</translation>
    </message>
    <message>
        <source>Find Address</source>
        <translation>Etsi osoite</translation>
    </message>
    <message>
        <source>Clear Marks</source>
        <translation>Poista merkit</translation>
    </message>
    <message>
        <source>Traffic Layer</source>
        <translation>Liikenne</translation>
    </message>
    <message>
        <source>Bicycling Layer</source>
        <translation>Pyöräilyreitit</translation>
    </message>
    <message>
        <source>Show Accuracy</source>
        <translation>Näytä tarkkuus</translation>
    </message>
    <message>
        <source>Auto Rotate</source>
        <translation>Automaattinen kierto</translation>
    </message>
    <message>
        <source>Position Updates</source>
        <translation>Sijainnin päivitys</translation>
    </message>
    <message>
        <source>Off</source>
        <translation>Pois</translation>
    </message>
    <message>
        <source>every second</source>
        <translation>joka sekunti</translation>
    </message>
    <message>
        <source>every 2 seconds</source>
        <translation>2 sekunnin välein</translation>
    </message>
    <message>
        <source>every 5 seconds</source>
        <translation>5 sekunnin välein</translation>
    </message>
    <message>
        <source>every 10 seconds</source>
        <translation>10 sekunnin välein</translation>
    </message>
    <message>
        <source>every 15 seconds</source>
        <translation>15 sekunnin välein</translation>
    </message>
    <message>
        <source>every 30 seconds</source>
        <translation>30 sekunnin välein</translation>
    </message>
    <message>
        <source>About</source>
        <translation>Tietoja</translation>
    </message>
    <message>
        <source>Voice Guidance</source>
        <translation>Ääniopastus</translation>
    </message>
</context>
<context>
    <name>NetworkErrorText</name>
    <message>
        <source>The service did not answer within 1 second.</source>
        <translation>Palvelu ei vastannut sekunnin kuluessa.</translation>
    </message>
    <message>
        <source>The service did not answer within %1 seconds.</source>
        <translation>Palvelu ei vastannut %1 sekunnin kuluessa.</translation>
    </message>
    <message>
        <source>Cannot reach the map service at %1 (connection refused).</source>
        <translation>Karttapalveluun osoitteessa %1 ei saada yhteyttä (yhteys evätty).</translation>
    </message>
    <message>
        <source>Network error: </source>
        <translation>Verkkovirhe: </translation>
    </message>
</context>
<context>
    <name>ServiceReply</name>
    <message>
        <source>The service&apos;s reply could not be read.</source>
        <translation>Palvelun vastausta ei voitu lukea.</translation>
    </message>
    <message>
        <source>The service took too long to answer.</source>
        <translation>Palvelu vastasi liian hitaasti.</translation>
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
        <translation>%1 min</translation>
    </message>
    <message>
        <source>%1 h</source>
        <translation>%1 h</translation>
    </message>
    <message>
        <source>%1 h %2 min</source>
        <translation>%1 h %2 min</translation>
    </message>
    <message>
        <source>via %1</source>
        <translation>kautta %1</translation>
    </message>
</context>
<context>
    <name>GuidanceBanner</name>
    <message>
        <source>%1 · %2 · arrival %3</source>
        <translation>%1 · %2 · perillä %3</translation>
    </message>
</context>
<context>
    <name>ManeuverText</name>
    <message>
        <source>Turn left</source>
        <translation>Käänny vasemmalle</translation>
    </message>
    <message>
        <source>Turn left onto %1</source>
        <translation>Käänny vasemmalle kadulle %1</translation>
    </message>
    <message>
        <source>Turn right</source>
        <translation>Käänny oikealle</translation>
    </message>
    <message>
        <source>Turn right onto %1</source>
        <translation>Käänny oikealle kadulle %1</translation>
    </message>
    <message>
        <source>Bear left</source>
        <translation>Kaarra vasemmalle</translation>
    </message>
    <message>
        <source>Bear left onto %1</source>
        <translation>Kaarra vasemmalle kadulle %1</translation>
    </message>
    <message>
        <source>Bear right</source>
        <translation>Kaarra oikealle</translation>
    </message>
    <message>
        <source>Bear right onto %1</source>
        <translation>Kaarra oikealle kadulle %1</translation>
    </message>
    <message>
        <source>Turn sharp left</source>
        <translation>Käänny jyrkästi vasemmalle</translation>
    </message>
    <message>
        <source>Turn sharp left onto %1</source>
        <translation>Käänny jyrkästi vasemmalle kadulle %1</translation>
    </message>
    <message>
        <source>Turn sharp right</source>
        <translation>Käänny jyrkästi oikealle</translation>
    </message>
    <message>
        <source>Turn sharp right onto %1</source>
        <translation>Käänny jyrkästi oikealle kadulle %1</translation>
    </message>
    <message>
        <source>Make a U-turn</source>
        <translation>Tee U-käännös</translation>
    </message>
    <message>
        <source>Make a U-turn onto %1</source>
        <translation>Tee U-käännös kadulle %1</translation>
    </message>
    <message>
        <source>Keep left</source>
        <translation>Pysy vasemmalla</translation>
    </message>
    <message>
        <source>Keep left onto %1</source>
        <translation>Pysy vasemmalla, kadulle %1</translation>
    </message>
    <message>
        <source>Keep right</source>
        <translation>Pysy oikealla</translation>
    </message>
    <message>
        <source>Keep right onto %1</source>
        <translation>Pysy oikealla, kadulle %1</translation>
    </message>
    <message>
        <source>Keep left at the fork</source>
        <translation>Pysy haarassa vasemmalla</translation>
    </message>
    <message>
        <source>Keep left at the fork onto %1</source>
        <translation>Pysy haarassa vasemmalla, kadulle %1</translation>
    </message>
    <message>
        <source>Keep right at the fork</source>
        <translation>Pysy haarassa oikealla</translation>
    </message>
    <message>
        <source>Keep right at the fork onto %1</source>
        <translation>Pysy haarassa oikealla, kadulle %1</translation>
    </message>
    <message>
        <source>Take the ramp on the left</source>
        <translation>Käytä vasemmanpuoleista liittymää</translation>
    </message>
    <message>
        <source>Take the ramp on the left onto %1</source>
        <translation>Käytä vasemmanpuoleista liittymää, kadulle %1</translation>
    </message>
    <message>
        <source>Take the ramp on the right</source>
        <translation>Käytä oikeanpuoleista liittymää</translation>
    </message>
    <message>
        <source>Take the ramp on the right onto %1</source>
        <translation>Käytä oikeanpuoleista liittymää, kadulle %1</translation>
    </message>
    <message>
        <source>Enter the roundabout</source>
        <translation>Aja liikenneympyrään</translation>
    </message>
    <message>
        <source>Enter the roundabout toward %1</source>
        <translation>Aja liikenneympyrään, suuntana %1</translation>
    </message>
    <message>
        <source>Merge</source>
        <translation>Liity liikenteeseen</translation>
    </message>
    <message>
        <source>Merge onto %1</source>
        <translation>Liity kadulle %1</translation>
    </message>
    <message>
        <source>Continue straight</source>
        <translation>Jatka suoraan</translation>
    </message>
    <message>
        <source>Continue on %1</source>
        <translation>Jatka kadulla %1</translation>
    </message>
    <message>
        <source>You reach your destination</source>
        <translation>Saavut määränpäähän</translation>
    </message>
    <message>
        <source>now</source>
        <translation>nyt</translation>
    </message>
    <message>
        <source>%1 ft</source>
        <translation>%1 jalkaa</translation>
    </message>
    <message>
        <source>%1 mi</source>
        <translation>%1 mailia</translation>
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
        <translation>%1 jalan päästä %2</translation>
    </message>
    <message>
        <source>In %1 miles, %2</source>
        <translation>%1 mailin päästä %2</translation>
    </message>
    <message>
        <source>In %1 metres, %2</source>
        <translation>%1 metrin päästä %2</translation>
    </message>
    <message>
        <source>In %1 kilometres, %2</source>
        <translation>%1 kilometrin päästä %2</translation>
    </message>
    <message>
        <source>then %1</source>
        <translation>sitten %1</translation>
    </message>
    <message>
        <source>%1 min</source>
        <translation>%1 min</translation>
    </message>
    <message>
        <source>%1 h %2 min</source>
        <translation>%1 h %2 min</translation>
    </message>
    <message>
        <source>You have arrived</source>
        <translation>Olet perillä</translation>
    </message>
    <message>
        <source>Rerouting</source>
        <translation>Lasketaan uutta reittiä</translation>
    </message>
</context>
</TS>
