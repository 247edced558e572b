"""Kinds of place: what an OpenStreetMap feature is (its tag), what a result
calls it (Google's type name where there is one, else the tag's own value),
and the words people type for it in English, Finnish and German, singular
and plural (normalised: no accents, no case)."""

import re

from .text import normalise

# kind: (types of a result, tags that make it, words).
_POINT = ("point_of_interest", "establishment")
_NATURAL = ("natural_feature",)
KINDS = {
    "restaurant": (("restaurant", "food") + _POINT, ("amenity=restaurant",),
                   "restaurant restaurants ravintola ravintolat ravintoloita ravintolaa "
                   "gaststatte gaststatten restaurants"),
    "bar": (("bar",) + _POINT, ("amenity=bar", "amenity=pub"),
            "bar bars pub pubs baari baarit baareja kapakka pubi pubit kneipe kneipen "
            "kneipe"),
    "cafe": (("cafe", "food") + _POINT, ("amenity=cafe",),
             "cafe cafes coffee_shop coffee_shops coffee kahvila kahvilat kahviloita "
             "kaffee kaffees cafeteria"),
    "fast_food": (("meal_takeaway", "food") + _POINT, ("amenity=fast_food",),
                  "fast_food takeaway takeaways pikaruoka pikaruokala pikaruokalat imbiss "
                  "imbisse schnellimbiss"),
    "pharmacy": (("pharmacy", "health") + _POINT, ("amenity=pharmacy", "healthcare=pharmacy"),
                 "pharmacy pharmacies chemist chemists drugstore drugstores apteekki apteekit "
                 "apteekkeja apotheke apotheken"),
    "hospital": (("hospital", "health") + _POINT, ("amenity=hospital", "healthcare=hospital"),
                 "hospital hospitals sairaala sairaalat sairaaloita krankenhaus krankenhauser "
                 "klinik kliniken spital spitaler"),
    "doctor": (("doctor", "health") + _POINT, ("amenity=doctors", "healthcare=doctor"),
               "doctor doctors gp laakari laakarit laakariasema arzt arzte arztpraxis"),
    "dentist": (("dentist", "health") + _POINT, ("amenity=dentist", "healthcare=dentist"),
                "dentist dentists hammaslaakari hammaslaakarit zahnarzt zahnarzte"),
    "fuel": (("gas_station",) + _POINT, ("amenity=fuel",),
             "fuel gas_station gas_stations petrol_station petrol_stations filling_station "
             "filling_stations huoltoasema huoltoasemat polttoaine bensa_asema bensiiniasema "
             "tankstelle tankstellen"),
    "charging_station": (("electric_vehicle_charging_station",) + _POINT,
                         ("amenity=charging_station",),
                         "charging_station charging_stations ev_charger latausasema "
                         "latausasemat ladestation ladestationen"),
    "hotel": (("lodging",) + _POINT, ("tourism=hotel", "tourism=motel", "tourism=guest_house",
                                      "tourism=hostel"),
              "hotel hotels motel motels hostel hostels guest_house lodging hotelli hotellit "
              "hotelleja majoitus hostelli gasthaus gasthof pension unterkunft"),
    "supermarket": (("supermarket", "grocery_or_supermarket", "food", "store") + _POINT,
                    ("shop=supermarket",),
                    "supermarket supermarkets grocery groceries grocery_store supermarketti "
                    "supermarketit ruokakauppa ruokakaupat kauppa supermarkt supermarkte "
                    "lebensmittel"),
    "convenience_store": (("convenience_store", "store") + _POINT, ("shop=convenience",),
                          "convenience_store convenience_stores corner_shop kioski lahikauppa "
                          "spatkauf kiosk"),
    "bakery": (("bakery", "food", "store") + _POINT, ("shop=bakery",),
               "bakery bakeries leipomo leipomot backerei backereien"),
    "parking": (("parking",) + _POINT, ("amenity=parking",),
                "parking car_park car_parks parking_lot parking_lots parking_garage "
                "pysakointi parkkipaikka parkkipaikat parkkihalli parkplatz parkplatze "
                "parkhaus"),
    "toilets": (("toilets",) + _POINT, ("amenity=toilets",),
                "toilet toilets restroom restrooms wc vessa vessat kaymala kaymalat toilette "
                "toiletten"),
    "atm": (("atm", "finance") + _POINT, ("amenity=atm",),
            "atm atms cash_machine cash_machines cashpoint pankkiautomaatti "
            "pankkiautomaatit otto_automaatti geldautomat geldautomaten bankomat"),
    "bank": (("bank", "finance") + _POINT, ("amenity=bank",),
             "bank banks pankki pankit banken"),
    "post_office": (("post_office",) + _POINT, ("amenity=post_office",),
                    "post_office post_offices posti postitoimisto postamt postamter "
                    "postfiliale"),
    "school": (("school",) + _POINT, ("amenity=school",),
               "school schools koulu koulut kouluja schule schulen"),
    "university": (("university",) + _POINT, ("amenity=university", "amenity=college"),
                   "university universities college yliopisto yliopistot universitat "
                   "hochschule"),
    "library": (("library",) + _POINT, ("amenity=library",),
                "library libraries kirjasto kirjastot bibliothek bibliotheken bucherei"),
    "museum": (("museum",) + _POINT, ("tourism=museum",),
               "museum museums museo museot museoita museen"),
    "police": (("police",) + _POINT, ("amenity=police",),
               "police police_station police_stations poliisi poliisiasema polizei "
               "polizeiwache"),
    "fire_station": (("fire_station",) + _POINT, ("amenity=fire_station",),
                     "fire_station fire_stations paloasema paloasemat feuerwehr"),
    "place_of_worship": (("place_of_worship",) + _POINT, ("amenity=place_of_worship",),
                         "church churches place_of_worship kirkko kirkot kirche kirchen"),
    "cinema": (("movie_theater",) + _POINT, ("amenity=cinema",),
               "cinema cinemas movie_theater movie_theaters elokuvateatteri kino kinos"),
    "townhall": (("city_hall", "local_government_office") + _POINT, ("amenity=townhall",),
                 "town_hall city_hall townhall kaupungintalo raatihuone rathaus"),
    "bus_station": (("bus_station", "transit_station") + _POINT, ("amenity=bus_station",),
                    "bus_station bus_stations linja_autoasema busbahnhof"),
    "taxi": (("taxi_stand",) + _POINT, ("amenity=taxi",),
             "taxi taxis taxi_rank taxi_stand taksi taksit taksiasema taxistand"),
    "attraction": (("tourist_attraction",) + _POINT, ("tourism=attraction",),
                   "attraction attractions sights nahtavyys nahtavyydet sehenswurdigkeit "
                   "sehenswurdigkeiten"),
    "viewpoint": (("viewpoint",) + _POINT, ("tourism=viewpoint",),
                  "viewpoint viewpoints lookout nakopaikka aussichtspunkt"),
    "park": (("park",) + _POINT, ("leisure=park",),
             "park parks puisto puistot puistoja parks"),
    "playground": (("playground",) + _POINT, ("leisure=playground",),
                   "playground playgrounds leikkipuisto spielplatz spielplatze"),
    "swimming_pool": (("swimming_pool",) + _POINT, ("leisure=swimming_pool",
                                                    "amenity=swimming_pool"),
                      "swimming_pool swimming_pools uimahalli uima_allas schwimmbad "
                      "schwimmbader hallenbad"),
    "gym": (("gym",) + _POINT, ("leisure=fitness_centre",),
            "gym gyms fitness_centre kuntosali kuntosalit fitnessstudio"),
    "clothes": (("clothing_store", "store") + _POINT, ("shop=clothes",),
                "clothes_shop clothes_shops clothing_store vaatekauppa bekleidungsgeschaft"),
    "hairdresser": (("hair_care",) + _POINT, ("shop=hairdresser",),
                    "hairdresser hairdressers barber kampaamo parturi friseur friseure"),
    "bicycle_shop": (("bicycle_store", "store") + _POINT, ("shop=bicycle",),
                     "bicycle_shop bike_shop pyorakauppa fahrradladen"),
    "car_repair": (("car_repair",) + _POINT, ("shop=car_repair",),
                   "car_repair garage autokorjaamo korjaamo autowerkstatt werkstatt"),
    "bookshop": (("book_store", "store") + _POINT, ("shop=books",),
                 "bookshop bookshops bookstore kirjakauppa buchhandlung"),
    # Natural features: Google has one type for them all.
    "peak": (("peak",) + _NATURAL, ("natural=peak", "natural=volcano"),
             "peak peaks mountain mountains summit huippu vuori gipfel"),
    "lake": (("lake",) + _NATURAL, ("natural=water", "water=lake", "water=pond",
                                    "water=reservoir"),
             "lake lakes pond reservoir jarvi jarvet lampi weiher"),
    "river": (("river",) + _NATURAL, ("waterway=river", "water=river", "waterway=canal"),
              "river rivers canal joki joet kanava fluss flusse kanal"),
    "stream": (("stream",) + _NATURAL, ("waterway=stream",),
               "stream streams brook creek puro purot bach bache"),
    "valley": (("valley",) + _NATURAL, ("natural=valley",), "valley valleys laakso"),
    "forest": (("forest",) + _NATURAL, ("natural=wood", "landuse=forest"),
               "forest forests wood woods metsa metsat wald walder"),
    "island": (("island",) + _NATURAL, ("place=island", "place=islet", "natural=island"),
               "island islands islet saari saaret insel inseln"),
    "bay": (("bay",) + _NATURAL, ("natural=bay",), "bay bays lahti bucht"),
    "beach": (("beach",) + _NATURAL, ("natural=beach",), "beach beaches uimaranta"),
    "glacier": (("glacier",) + _NATURAL, ("natural=glacier",), "glacier jaatikko gletscher"),
    "spring": (("spring",) + _NATURAL, ("natural=spring",), "springs"),
    # Places below the gazetteer's towns, each with Google's word for its level.
    "suburb": (("sublocality", "sublocality_level_1", "political"),
               ("place=suburb", "place=borough"), "suburb suburbs kaupunginosa stadtteil"),
    "quarter": (("sublocality", "sublocality_level_2", "political"), ("place=quarter",),
                "quarter quarters"),
    "neighbourhood": (("neighborhood", "political"), ("place=neighbourhood",),
                      "neighbourhood neighborhoods neighbourhoods neighborhood"),
    "village": (("locality", "political"), ("place=village", "place=town", "place=city"),
                "village villages kylat dorfer"),
    "hamlet": (("locality", "political"), ("place=hamlet", "place=isolated_dwelling",
                                           "place=farm"),
               "hamlet hamlets weiler"),
    "locality": (("colloquial_area", "political"), ("place=locality", "place=square"),
                 "locality localities"),
}
# The first tag of these keys that has a kind names it.
KEYS = ("amenity", "healthcare", "shop", "tourism", "leisure", "water", "waterway", "natural",
        "landuse", "place")
_KIND_OF_TAG = {tag: kind for kind, (_, tags, _) in KINDS.items() for tag in tags}
# Words of more than one are joined by "_" in the table: "gas_station".
_KIND_OF_WORD = {}
for _kind, (_, _, _words) in KINDS.items():
    for _word in _words.split():
        _KIND_OF_WORD.setdefault(normalise(_word.replace("_", " ")), _kind)
del _kind, _words, _word
# Places that name the hamlet, suburb or village around the rows near them
# (reach in km).
PARENTS = {"suburb": 2.0, "quarter": 1.2, "neighbourhood": 0.8, "village": 1.5,
           "hamlet": 0.8}
PLACE_KINDS = {"suburb", "quarter", "neighbourhood", "village", "hamlet", "locality"}
NATURAL_KINDS = {kind for kind, (types, _, _) in KINDS.items() if "natural_feature" in types}
# Plurals the table does not list ("bakeries" is listed, "cafes" too).
_PLURAL = re.compile(r"(.+?)(?:s|es|en|n|e)$")


def of_tags(tags):
    """The kind of a feature's tags, or ''."""
    for key in KEYS:
        value = tags.get(key)
        if value:
            kind = _KIND_OF_TAG.get("%s=%s" % (key, value))
            if kind:
                return kind
    return ""


def types(kind):
    return KINDS[kind][0] if kind in KINDS else ()


def named(text):
    """The kind a normalised text names ("pharmacies", "gas station"), or None."""
    kind = _KIND_OF_WORD.get(text)
    if kind is None:
        match = _PLURAL.fullmatch(text)
        if match and len(match.group(1)) > 3:
            kind = _KIND_OF_WORD.get(match.group(1))
    return kind
