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
    <name>CatalogueDialog</name>
    <message>
        <source>Download Map Data</source>
        <translation>Lataa karttatietoja</translation>
    </message>
    <message>
        <source>Search by name</source>
        <translation>Hae nimellä</translation>
    </message>
    <message>
        <source>Area</source>
        <translation>Alue</translation>
    </message>
    <message>
        <source>Download</source>
        <translation>Lataa</translation>
    </message>
    <message>
        <source>Imported</source>
        <translation>Tuotu</translation>
    </message>
    <message>
        <source>unknown</source>
        <translation>tuntematon</translation>
    </message>
    <message>
        <source>imported</source>
        <translation>tuotu</translation>
    </message>
    <message>
        <source>The extracts come from the catalogue configured in the map service; the download needs the disk space of the extract and about three times as much for the import.</source>
        <translation>Otteet tulevat karttapalvelun asetuksissa nimetystä luettelosta. Lataus tarvitsee levytilaa otteen koon verran ja tuonti noin kolme kertaa saman verran.</translation>
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
    <name>GuidanceBanner</name>
    <message>
        <source>%1 · %2 · arrival %3</source>
        <translation>%1 · %2 · perillä %3</translation>
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
        <source>The map page %1 could not be loaded.</source>
        <translation>Karttasivua %1 ei voitu ladata.</translation>
    </message>
    <message>
        <source>Trying again starts Marlu's map service on another port for this session.</source>
        <translation>Uusi yritys käynnistää Marlun karttapalvelun toisessa portissa tämän istunnon ajaksi.</translation>
    </message>
    <message>
        <source>The map service could not start: %1.</source>
        <translation>Karttapalvelu ei käynnistynyt: %1.</translation>
    </message>
    <message>
        <source>Would you like to try again?</source>
        <translation>Haluatko yrittää uudelleen?</translation>
    </message>
    <message>
        <source>Map Regions</source>
        <translation>Kartta-alueet</translation>
    </message>
    <message>
        <source>Map Services</source>
        <translation>Karttapalvelut</translation>
    </message>
    <message>
        <source>No street data here</source>
        <translation>Täällä ei ole katutietoja</translation>
    </message>
    <message>
        <source>Get map data for this area…</source>
        <translation>Hae karttatiedot tälle alueelle…</translation>
    </message>
    <message>
        <source>Places</source>
        <translation>Paikat</translation>
    </message>
    <message>
        <source>Save Place...</source>
        <translation>Tallenna paikka...</translation>
    </message>
    <message>
        <source>The point pressed on the map</source>
        <translation>Kartalta painettu kohta</translation>
    </message>
    <message>
        <source>The place found: %1</source>
        <translation>Löydetty paikka: %1</translation>
    </message>
    <message>
        <source>My position</source>
        <translation>Oma sijainti</translation>
    </message>
    <message>
        <source>Map centre</source>
        <translation>Kartan keskipiste</translation>
    </message>
    <message>
        <source>The centre of the map</source>
        <translation>Kartan keskipiste</translation>
    </message>
    <message>
        <source>Save Place</source>
        <translation>Tallenna paikka</translation>
    </message>
    <message>
        <source>Saved place</source>
        <translation>Tallennettu paikka</translation>
    </message>
    <message>
        <source>Open Link</source>
        <translation>Avaa linkki</translation>
    </message>
    <message>
        <source>Record Track</source>
        <translation>Tallenna jälki</translation>
    </message>
    <message>
        <source>Tracks</source>
        <translation>Jäljet</translation>
    </message>
    <message>
        <source>Open GPX...</source>
        <translation>Avaa GPX...</translation>
    </message>
    <message>
        <source>Open GPX</source>
        <translation>Avaa GPX</translation>
    </message>
    <message>
        <source>GPX files (*.gpx);;All files (*)</source>
        <translation>GPX-tiedostot (*.gpx);;Kaikki tiedostot (*)</translation>
    </message>
    <message>
        <source>The GPX file holds no tracks, routes or waypoints.</source>
        <translation>GPX-tiedostossa ei ole jälkiä, reittejä eikä reittipisteitä.</translation>
    </message>
    <message>
        <source>Voice Guidance</source>
        <translation>Ääniopastus</translation>
    </message>
    <message>
        <source>The map data is missing: run scripts/run once, or import a region in Map Regions</source>
        <translation>Karttatiedot puuttuvat: suorita scripts/run kerran tai tuo alue Kartta-alueissa</translation>
    </message>
</context>
<context>
    <name>ManeuverText</name>
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
        <source>You have arrived</source>
        <translation>Olet perillä</translation>
    </message>
    <message>
        <source>Rerouting</source>
        <translation>Lasketaan uutta reittiä</translation>
    </message>
    <message>
        <source>Turn around when possible</source>
        <translation>Käänny ympäri, kun mahdollista</translation>
    </message>
    <message>
        <source>In 1 kilometre, %1</source>
        <translation>Kilometrin päästä %1</translation>
    </message>
</context>
<context>
    <name>MapControls</name>
    <message>
        <source>Zoom in (F7)</source>
        <translation>Lähennä (F7)</translation>
    </message>
    <message>
        <source>Zoom out (F8)</source>
        <translation>Loitonna (F8)</translation>
    </message>
    <message>
        <source>Follow my position (Enter)</source>
        <translation>Seuraa sijaintiani (Enter)</translation>
    </message>
</context>
<context>
    <name>MapRegionsWindow</name>
    <message>
        <source>Map Regions</source>
        <translation>Kartta-alueet</translation>
    </message>
    <message>
        <source>Region</source>
        <translation>Alue</translation>
    </message>
    <message>
        <source>Area</source>
        <translation>Kattavuus</translation>
    </message>
    <message>
        <source>Size</source>
        <translation>Koko</translation>
    </message>
    <message>
        <source>Date</source>
        <translation>Päiväys</translation>
    </message>
    <message>
        <source>State</source>
        <translation>Tila</translation>
    </message>
    <message>
        <source>Import from File…</source>
        <translation>Tuo tiedostosta…</translation>
    </message>
    <message>
        <source>Download…</source>
        <translation>Lataa…</translation>
    </message>
    <message>
        <source>Update</source>
        <translation>Päivitä</translation>
    </message>
    <message>
        <source>Delete</source>
        <translation>Poista</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Keskeytä</translation>
    </message>
    <message numerus="yes">
        <source>%n entries of the service's list were not understood and are not shown.</source>
        <translation>
            <numerusform>%n palvelun luettelon rivi oli tulkitsematon eikä sitä näytetä.</numerusform>
            <numerusform>%n palvelun luettelon riviä oli tulkitsemattomia eikä niitä näytetä.</numerusform>
        </translation>
    </message>
    <message>
        <source>downloading</source>
        <translation>ladataan</translation>
    </message>
    <message>
        <source>importing: routing database</source>
        <translation>tuodaan: reittitietokanta</translation>
    </message>
    <message>
        <source>importing: street index</source>
        <translation>tuodaan: katuhakemisto</translation>
    </message>
    <message>
        <source>importing: street map</source>
        <translation>tuodaan: katukartta</translation>
    </message>
    <message>
        <source>importing</source>
        <translation>tuodaan</translation>
    </message>
    <message>
        <source>%1 of %2</source>
        <translation>%1 / %2</translation>
    </message>
    <message>
        <source>%1/s</source>
        <translation>%1/s</translation>
    </message>
    <message>
        <source>%1 min left</source>
        <translation>%1 min jäljellä</translation>
    </message>
    <message>
        <source>failed: %1</source>
        <translation>epäonnistui: %1</translation>
    </message>
    <message>
        <source>ready</source>
        <translation>valmis</translation>
    </message>
    <message>
        <source>No regions: the map has streets nowhere. Import a file or download an area.</source>
        <translation>Ei alueita: kartalla ei ole katuja missään. Tuo tiedosto tai lataa alue.</translation>
    </message>
    <message>
        <source>Import from File</source>
        <translation>Tuo tiedostosta</translation>
    </message>
    <message>
        <source>OpenStreetMap extracts (*.osm.pbf *.pbf)</source>
        <translation>OpenStreetMap-otteet (*.osm.pbf *.pbf)</translation>
    </message>
    <message>
        <source>Importing %1.</source>
        <translation>Tuodaan %1.</translation>
    </message>
    <message>
        <source>Loading the catalogue…</source>
        <translation>Ladataan luetteloa…</translation>
    </message>
    <message>
        <source>The catalogue lists no extract to download.</source>
        <translation>Luettelossa ei ole ladattavia otteita.</translation>
    </message>
    <message>
        <source>Downloading %1.</source>
        <translation>Ladataan %1.</translation>
    </message>
    <message>
        <source>%1 is up to date.</source>
        <translation>%1 on ajan tasalla.</translation>
    </message>
    <message>
        <source>Updating %1.</source>
        <translation>Päivitetään %1.</translation>
    </message>
    <message>
        <source>Delete Region</source>
        <translation>Poista alue</translation>
    </message>
    <message>
        <source>Delete the region %1? Its streets, search index and routes are removed from this computer (%2).</source>
        <translation>Poistetaanko alue %1? Sen kadut, hakuhakemisto ja reitit poistetaan tältä tietokoneelta (%2).</translation>
    </message>
    <message>
        <source>%1 was deleted.</source>
        <translation>%1 poistettiin.</translation>
    </message>
    <message>
        <source>Cancelled.</source>
        <translation>Keskeytetty.</translation>
    </message>
    <message>
        <source>%1 is ready.</source>
        <translation>%1 on valmis.</translation>
    </message>
    <message>
        <source>%1 failed: %2</source>
        <translation>%1 epäonnistui: %2</translation>
    </message>
</context>
<context>
    <name>MapServiceLauncher</name>
    <message>
        <source>it accepts connections but gave no answer</source>
        <translation>se ottaa yhteyksiä vastaan mutta ei vastannut</translation>
    </message>
    <message>
        <source>it answered HTTP %1%2 instead of naming itself</source>
        <translation>se vastasi HTTP %1%2 kertomatta nimeään</translation>
    </message>
    <message>
        <source> as "%1"</source>
        <translation> nimellä "%1"</translation>
    </message>
    <message>
        <source>Port %1 on this computer is taken by another program, not Marlu's map service: %2</source>
        <translation>Tämän tietokoneen portti %1 on toisen ohjelman käytössä, ei Marlun karttapalvelun: %2</translation>
    </message>
</context>
<context>
    <name>MapServicesDialog</name>
    <message>
        <source>Offline (this computer)</source>
        <translation>Ilman verkkoa (tämä tietokone)</translation>
    </message>
    <message>
        <source>Tiles are drawn by the map service from your regions.</source>
        <translation>Karttapalvelu piirtää kartan alueistasi.</translation>
    </message>
    <message>
        <source>OpenStreetMap standard layer</source>
        <translation>OpenStreetMapin vakiokartta</translation>
    </message>
    <message>
        <source>Run by volunteers: light use only, no bulk downloading (tile usage policy: https://operations.osmfoundation.org/policies/tiles/). © OpenStreetMap contributors.</source>
        <translation>Vapaaehtoisten ylläpitämä: vain kevyeen käyttöön, ei massalatauksia (käyttöehdot: https://operations.osmfoundation.org/policies/tiles/). © OpenStreetMapin tekijät.</translation>
    </message>
    <message>
        <source>Custom tile server</source>
        <translation>Oma karttapalvelin</translation>
    </message>
    <message>
        <source>A URL template with {z}, {x} and {y}; follow the server's usage policy and name its data's source.</source>
        <translation>URL-malli, jossa on {z}, {x} ja {y}; noudata palvelimen käyttöehtoja ja mainitse sen tietojen lähde.</translation>
    </message>
    <message>
        <source>Searches the world's places and your regions' streets.</source>
        <translation>Hakee maailman paikkoja ja alueidesi katuja.</translation>
    </message>
    <message>
        <source>At most one search a second, no automated bulk searches (https://operations.osmfoundation.org/policies/nominatim/). Your searches go to the OpenStreetMap Foundation. © OpenStreetMap contributors.</source>
        <translation>Enintään yksi haku sekunnissa, ei automaattisia massahakuja (https://operations.osmfoundation.org/policies/nominatim/). Hakusi menevät OpenStreetMap-säätiölle. © OpenStreetMapin tekijät.</translation>
    </message>
    <message>
        <source>A public demo server for light use, run by komoot; your searches go there. © OpenStreetMap contributors.</source>
        <translation>komootin ylläpitämä julkinen kokeilupalvelin kevyeen käyttöön; hakusi menevät sinne. © OpenStreetMapin tekijät.</translation>
    </message>
    <message>
        <source>Custom Nominatim server</source>
        <translation>Oma Nominatim-palvelin</translation>
    </message>
    <message>
        <source>The base URL of a Nominatim server.</source>
        <translation>Nominatim-palvelimen perus-URL.</translation>
    </message>
    <message>
        <source>Custom Photon server</source>
        <translation>Oma Photon-palvelin</translation>
    </message>
    <message>
        <source>The base URL of a Photon server.</source>
        <translation>Photon-palvelimen perus-URL.</translation>
    </message>
    <message>
        <source>Routes inside your regions.</source>
        <translation>Reitit alueidesi sisällä.</translation>
    </message>
    <message>
        <source>OSRM demo server</source>
        <translation>OSRM-kokeilupalvelin</translation>
    </message>
    <message>
        <source>A demo server for light, non-commercial use, car routes only; your start and destination go there. © OpenStreetMap contributors.</source>
        <translation>Kokeilupalvelin kevyeen, ei-kaupalliseen käyttöön, vain autoreitit; lähtöpaikkasi ja määränpääsi menevät sinne. © OpenStreetMapin tekijät.</translation>
    </message>
    <message>
        <source>Custom OSRM server</source>
        <translation>Oma OSRM-palvelin</translation>
    </message>
    <message>
        <source>The base URL of an OSRM server.</source>
        <translation>OSRM-palvelimen perus-URL.</translation>
    </message>
    <message>
        <source>Map Services</source>
        <translation>Karttapalvelut</translation>
    </message>
    <message>
        <source>Map tiles</source>
        <translation>Karttakuvat</translation>
    </message>
    <message>
        <source>Address search</source>
        <translation>Osoitehaku</translation>
    </message>
    <message>
        <source>Routes</source>
        <translation>Reitit</translation>
    </message>
    <message>
        <source>Asking the map service…</source>
        <translation>Kysytään karttapalvelulta…</translation>
    </message>
    <message>
        <source>A server's URL must start with http:// or https://.</source>
        <translation>Palvelimen URL:n on alettava http:// tai https://.</translation>
    </message>
    <message>
        <source>Saving…</source>
        <translation>Tallennetaan…</translation>
    </message>
    <message>
        <source>Checking the tile server's URL…</source>
        <translation>Tarkistetaan karttatiilipalvelimen URL-osoitetta…</translation>
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
    <name>NorthArrow</name>
    <message>
        <source>North</source>
        <translation>Pohjoinen</translation>
    </message>
</context>
<context>
    <name>QObject</name>
    <message>
        <source>unknown</source>
        <translation>tuntematon</translation>
    </message>
</context>
<context>
    <name>ServiceApi</name>
    <message>
        <source>It is not Marlu's map service.</source>
        <translation>Se ei ole Marlun karttapalvelu.</translation>
    </message>
    <message>
        <source>The map host %1 is not the map service on this computer.</source>
        <translation>Karttapalvelin %1 ei ole tämän tietokoneen karttapalvelu.</translation>
    </message>
    <message>
        <source>The map service's answer is larger than %1 MiB.</source>
        <translation>Karttapalvelun vastaus on suurempi kuin %1 MiB.</translation>
    </message>
    <message>
        <source>The map service refused the request: %1</source>
        <translation>Karttapalvelu torjui pyynnön: %1</translation>
    </message>
    <message>
        <source>it does not accept this user's key.</source>
        <translation>se ei hyväksy tämän käyttäjän avainta.</translation>
    </message>
    <message>
        <source>The map service answered HTTP %1.</source>
        <translation>Karttapalvelu vastasi HTTP %1.</translation>
    </message>
    <message>
        <source>The map service's answer is not the JSON object expected.</source>
        <translation>Karttapalvelun vastaus ei ole odotettu JSON-olio.</translation>
    </message>
    <message>
        <source>The map service did not answer within %1 s.</source>
        <translation>Karttapalvelu ei vastannut %1 sekunnissa.</translation>
    </message>
    <message>
        <source>The map service did not answer: %1</source>
        <translation>Karttapalvelu ei vastannut: %1</translation>
    </message>
</context>
<context>
    <name>ServiceReply</name>
    <message>
        <source>The service's reply could not be read.</source>
        <translation>Palvelun vastausta ei voitu lukea.</translation>
    </message>
    <message>
        <source>The service took too long to answer.</source>
        <translation>Palvelu vastasi liian hitaasti.</translation>
    </message>
</context>
<context>
    <name>SizeText</name>
    <message>
        <source>%1 KB</source>
        <translation>%1 kt</translation>
    </message>
    <message>
        <source>%1 MB</source>
        <translation>%1 Mt</translation>
    </message>
    <message>
        <source>%1 GB</source>
        <translation>%1 Gt</translation>
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
    <message>
        <source>%1 s</source>
        <translation>%1 s</translation>
    </message>
</context>
<context>
    <name>KeyFile</name>
    <message>
        <source>The map service's key %1 is a symbolic link, not the key file.</source>
        <translation>Karttapalvelun avain %1 on symbolinen linkki eikä avaintiedosto.</translation>
    </message>
    <message>
        <source>The map service's key %1 cannot be read: %2.</source>
        <translation>Karttapalvelun avainta %1 ei voi lukea: %2.</translation>
    </message>
    <message>
        <source>The map service's key %1 is not a plain file.</source>
        <translation>Karttapalvelun avain %1 ei ole tavallinen tiedosto.</translation>
    </message>
    <message>
        <source>The map service's key %1 belongs to another user.</source>
        <translation>Karttapalvelun avain %1 kuuluu toiselle käyttäjälle.</translation>
    </message>
    <message>
        <source>The map service's key %1 can be read by other users.</source>
        <translation>Karttapalvelun avaimen %1 voivat lukea muutkin käyttäjät.</translation>
    </message>
    <message>
        <source>The map service's key %1 is not 64 hexadecimal characters.</source>
        <translation>Karttapalvelun avain %1 ei ole 64 heksadesimaalimerkkiä.</translation>
    </message>
</context>
<context>
    <name>ListenerOwner</name>
    <message>
        <source>the port is held by another user's program (user id %1)</source>
        <translation>porttia pitää toisen käyttäjän ohjelma (käyttäjätunnus %1)</translation>
    </message>
    <message>
        <source>the port is held by a program that is none of this user's</source>
        <translation>porttia pitää ohjelma, joka ei ole tämän käyttäjän</translation>
    </message>
</context>
<context>
    <name>ServiceProof</name>
    <message>
        <source>It passes on the answers of Marlu's map service at %1: a program in between relays it.</source>
        <translation>Se välittää osoitteessa %1 olevan Marlun karttapalvelun vastauksia: välissä oleva ohjelma välittää ne.</translation>
    </message>
    <message>
        <source>another address</source>
        <translation>toisessa osoitteessa</translation>
    </message>
    <message>
        <source>It calls itself Marlu's map service but does not know this user's key.</source>
        <translation>Se kertoo olevansa Marlun karttapalvelu mutta ei tunne tämän käyttäjän avainta.</translation>
    </message>
    <message>
        <source>It answers as Marlu's map service, but %1.</source>
        <translation>Se vastaa Marlun karttapalveluna, mutta %1.</translation>
    </message>
</context>
<context>
    <name>FavouriteStore</name>
    <message>
        <source>it is too large</source>
        <translation>se on liian suuri</translation>
    </message>
    <message>
        <source>The saved places could not be read: %1.</source>
        <translation>Tallennettuja paikkoja ei voitu lukea: %1.</translation>
    </message>
    <message>
        <source>it holds no list of places</source>
        <translation>siinä ei ole paikkaluetteloa</translation>
    </message>
    <message>
        <source>entry %1 is not a place</source>
        <translation>kohta %1 ei ole paikka</translation>
    </message>
    <message>
        <source>The saved places could not be read (%1); the file was kept as %2.</source>
        <translation>Tallennettuja paikkoja ei voitu lukea (%1); tiedosto säilytettiin nimellä %2.</translation>
    </message>
    <message>
        <source>The saved places could not be read (%1); the file was left as it is and no place will be saved.</source>
        <translation>Tallennettuja paikkoja ei voitu lukea (%1); tiedosto jätettiin ennalleen, eikä paikkoja tallenneta.</translation>
    </message>
    <message>
        <source>A place needs a name and a position on the map.</source>
        <translation>Paikalla on oltava nimi ja sijainti kartalla.</translation>
    </message>
    <message>
        <source>There are %1 saved places already; delete some first.</source>
        <translation>Tallennettuja paikkoja on jo %1; poista ensin joitakin.</translation>
    </message>
    <message>
        <source>A place needs a name.</source>
        <translation>Paikalla on oltava nimi.</translation>
    </message>
    <message>
        <source>The places could not be saved: %1.</source>
        <translation>Paikkoja ei voitu tallentaa: %1.</translation>
    </message>
</context>
<context>
    <name>GeoUri</name>
    <message>
        <source>The geo: link is too long.</source>
        <translation>geo:-linkki on liian pitkä.</translation>
    </message>
    <message>
        <source>This is not a geo: link.</source>
        <translation>Tämä ei ole geo:-linkki.</translation>
    </message>
    <message>
        <source>The geo: link does not name a place on Earth.</source>
        <translation>geo:-linkki ei osoita paikkaa maapallolla.</translation>
    </message>
    <message>
        <source>The geo: link uses a coordinate system Marlu does not know.</source>
        <translation>geo:-linkki käyttää koordinaatistoa, jota Marlu ei tunne.</translation>
    </message>
</context>
<context>
    <name>GpxReader</name>
    <message>
        <source>%1 is not a file that can be shown.</source>
        <translation>%1 ei ole tiedosto, jonka voi näyttää.</translation>
    </message>
    <message>
        <source>The file %1 could not be opened: %2.</source>
        <translation>Tiedostoa %1 ei voitu avata: %2.</translation>
    </message>
    <message>
        <source>The file %1 is too large to show (%2 MB; at most %3 MB).</source>
        <translation>Tiedosto %1 on liian suuri näytettäväksi (%2 Mt; enintään %3 Mt).</translation>
    </message>
    <message>
        <source>it declares a document type, which GPX files do not</source>
        <translation>se määrittelee dokumenttityypin, mitä GPX-tiedostot eivät tee</translation>
    </message>
    <message>
        <source>it is not a GPX 1.0 or 1.1 file</source>
        <translation>se ei ole GPX 1.0- tai 1.1-tiedosto</translation>
    </message>
    <message>
        <source>it is empty</source>
        <translation>se on tyhjä</translation>
    </message>
    <message>
        <source>The GPX file cannot be shown: %1 (line %2).</source>
        <translation>GPX-tiedostoa ei voi näyttää: %1 (rivi %2).</translation>
    </message>
    <message>
        <source>its elements are nested too deeply</source>
        <translation>sen elementit ovat sisäkkäin liian syvällä</translation>
    </message>
    <message>
        <source>it holds more than %1 points</source>
        <translation>siinä on yli %1 pistettä</translation>
    </message>
    <message>
        <source>a point has no valid position</source>
        <translation>pisteellä ei ole kelvollista sijaintia</translation>
    </message>
</context>
<context>
    <name>PlacesDlg</name>
    <message>
        <source>Places</source>
        <translation>Paikat</translation>
    </message>
    <message>
        <source>Sorted by name</source>
        <translation>Nimen mukaan</translation>
    </message>
    <message>
        <source>Sorted by distance</source>
        <translation>Etäisyyden mukaan</translation>
    </message>
    <message>
        <source>Show</source>
        <translation>Näytä</translation>
    </message>
    <message>
        <source>Route Here</source>
        <translation>Reitti tänne</translation>
    </message>
    <message>
        <source>Rename</source>
        <translation>Nimeä uudelleen</translation>
    </message>
    <message>
        <source>Delete</source>
        <translation>Poista</translation>
    </message>
    <message>
        <source>Home</source>
        <translation>Koti</translation>
    </message>
    <message>
        <source>Work</source>
        <translation>Työ</translation>
    </message>
    <message>
        <source>not set: save a place as this</source>
        <translation>ei asetettu: tallenna jokin paikka tällä nimellä</translation>
    </message>
    <message>
        <source>Name</source>
        <translation>Nimi</translation>
    </message>
    <message>
        <source>Delete "%1"?</source>
        <translation>Poistetaanko "%1"?</translation>
    </message>
</context>
<context>
    <name>SavePlaceDlg</name>
    <message>
        <source>Save Place</source>
        <translation>Tallenna paikka</translation>
    </message>
    <message>
        <source>Place</source>
        <translation>Paikka</translation>
    </message>
    <message>
        <source>Name</source>
        <translation>Nimi</translation>
    </message>
    <message>
        <source>A place</source>
        <translation>Paikka</translation>
    </message>
    <message>
        <source>Home</source>
        <translation>Koti</translation>
    </message>
    <message>
        <source>Work</source>
        <translation>Työ</translation>
    </message>
    <message>
        <source>Save as</source>
        <translation>Tallenna nimellä</translation>
    </message>
</context>
<context>
    <name>TrackRecorder</name>
    <message>
        <source>The track could not be written to %1: %2.</source>
        <translation>Jälkeä ei voitu kirjoittaa tiedostoon %1: %2.</translation>
    </message>
</context>
<context>
    <name>TracksDlg</name>
    <message>
        <source>Tracks</source>
        <translation>Jäljet</translation>
    </message>
    <message>
        <source>Show on Map</source>
        <translation>Näytä kartalla</translation>
    </message>
    <message>
        <source>Export...</source>
        <translation>Vie...</translation>
    </message>
    <message>
        <source>Rename</source>
        <translation>Nimeä uudelleen</translation>
    </message>
    <message>
        <source>Delete</source>
        <translation>Poista</translation>
    </message>
    <message>
        <source>%1 km/h</source>
        <translation>%1 km/h</translation>
    </message>
    <message>
        <source>No tracks recorded yet: switch on "Record Track" in the menu.</source>
        <translation>Jälkiä ei ole vielä tallennettu: valitse valikosta "Tallenna jälki".</translation>
    </message>
    <message>
        <source>Export Track</source>
        <translation>Vie jälki</translation>
    </message>
    <message>
        <source>GPX files (*.gpx)</source>
        <translation>GPX-tiedostot (*.gpx)</translation>
    </message>
    <message>
        <source>%1 could not be replaced.</source>
        <translation>Tiedostoa %1 ei voitu korvata.</translation>
    </message>
    <message>
        <source>The track could not be copied to %1.</source>
        <translation>Jälkeä ei voitu kopioida kohteeseen %1.</translation>
    </message>
    <message>
        <source>Name</source>
        <translation>Nimi</translation>
    </message>
    <message>
        <source>There is a track named so already, or the name cannot be used.</source>
        <translation>Samanniminen jälki on jo olemassa, tai nimeä ei voi käyttää.</translation>
    </message>
    <message>
        <source>Delete the track %1?</source>
        <translation>Poistetaanko jälki %1?</translation>
    </message>
    <message>
        <source>The track could not be deleted.</source>
        <translation>Jälkeä ei voitu poistaa.</translation>
    </message>
</context>
<context>
    <name>PlaceKind</name>
    <message>
        <source>Pharmacy</source>
        <translation>Apteekki</translation>
    </message>
    <message>
        <source>Restaurant</source>
        <translation>Ravintola</translation>
    </message>
    <message>
        <source>Café</source>
        <translation>Kahvila</translation>
    </message>
    <message>
        <source>Bar</source>
        <translation>Baari</translation>
    </message>
    <message>
        <source>Hotel</source>
        <translation>Hotelli</translation>
    </message>
    <message>
        <source>Fuel</source>
        <translation>Polttoaine</translation>
    </message>
    <message>
        <source>Supermarket</source>
        <translation>Supermarket</translation>
    </message>
    <message>
        <source>Parking</source>
        <translation>Pysäköinti</translation>
    </message>
    <message>
        <source>Toilets</source>
        <translation>WC</translation>
    </message>
    <message>
        <source>Casino</source>
        <translation>Kasino</translation>
    </message>
    <message>
        <source>Region</source>
        <translation>Alue</translation>
    </message>
    <message>
        <source>District</source>
        <translation>Kaupunginosa</translation>
    </message>
    <message>
        <source>Postcode</source>
        <translation>Postinumero</translation>
    </message>
    <message>
        <source>Place of interest</source>
        <translation>Kohde</translation>
    </message>
</context>
<context>
    <name>Maneuver</name>
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
        <source>Turn left toward %1</source>
        <translation>Käänny vasemmalle, suuntana %1</translation>
    </message>
    <message>
        <source>Turn right toward %1</source>
        <translation>Käänny oikealle, suuntana %1</translation>
    </message>
    <message>
        <source>Bear left toward %1</source>
        <translation>Kaarra vasemmalle, suuntana %1</translation>
    </message>
    <message>
        <source>Bear right toward %1</source>
        <translation>Kaarra oikealle, suuntana %1</translation>
    </message>
    <message>
        <source>Turn sharp left toward %1</source>
        <translation>Käänny jyrkästi vasemmalle, suuntana %1</translation>
    </message>
    <message>
        <source>Turn sharp right toward %1</source>
        <translation>Käänny jyrkästi oikealle, suuntana %1</translation>
    </message>
    <message>
        <source>Make a U-turn toward %1</source>
        <translation>Tee U-käännös, suuntana %1</translation>
    </message>
    <message>
        <source>Keep left toward %1</source>
        <translation>Pysy vasemmalla, suuntana %1</translation>
    </message>
    <message>
        <source>Keep right toward %1</source>
        <translation>Pysy oikealla, suuntana %1</translation>
    </message>
    <message>
        <source>Keep left at the fork toward %1</source>
        <translation>Pysy haarassa vasemmalla, suuntana %1</translation>
    </message>
    <message>
        <source>Keep right at the fork toward %1</source>
        <translation>Pysy haarassa oikealla, suuntana %1</translation>
    </message>
    <message>
        <source>Take the ramp on the left toward %1</source>
        <translation>Käytä vasemmanpuoleista liittymää, suuntana %1</translation>
    </message>
    <message>
        <source>Take the ramp on the right toward %1</source>
        <translation>Käytä oikeanpuoleista liittymää, suuntana %1</translation>
    </message>
    <message>
        <source>Merge toward %1</source>
        <translation>Liity liikenteeseen, suuntana %1</translation>
    </message>
    <message>
        <source>Continue straight toward %1</source>
        <translation>Jatka suoraan, suuntana %1</translation>
    </message>
    <message>
        <source>At the roundabout, take the %1 exit onto %2</source>
        <translation>Ota liikenneympyrästä %1 liittymä kadulle %2</translation>
    </message>
    <message>
        <source>At the roundabout, take the %1 exit</source>
        <translation>Ota liikenneympyrästä %1 liittymä</translation>
    </message>
    <message>
        <source>Enter the roundabout and leave it onto %1</source>
        <translation>Aja liikenneympyrään ja poistu kadulle %1</translation>
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
        <translation>Aja pohjoiseen</translation>
    </message>
    <message>
        <source>Head northeast</source>
        <translation>Aja koilliseen</translation>
    </message>
    <message>
        <source>Head east</source>
        <translation>Aja itään</translation>
    </message>
    <message>
        <source>Head southeast</source>
        <translation>Aja kaakkoon</translation>
    </message>
    <message>
        <source>Head south</source>
        <translation>Aja etelään</translation>
    </message>
    <message>
        <source>Head southwest</source>
        <translation>Aja lounaaseen</translation>
    </message>
    <message>
        <source>Head west</source>
        <translation>Aja länteen</translation>
    </message>
    <message>
        <source>Head northwest</source>
        <translation>Aja luoteeseen</translation>
    </message>
    <message>
        <source>%1 on %2</source>
        <translation>%1 kadulla %2</translation>
    </message>
    <message>
        <source>Your destination is on the left</source>
        <translation>Määränpää on vasemmalla</translation>
    </message>
    <message>
        <source>Your destination is on the right</source>
        <translation>Määränpää on oikealla</translation>
    </message>
    <message>
        <source>%1. %2</source>
        <translation>%1. %2</translation>
    </message>
</context>
</TS>
