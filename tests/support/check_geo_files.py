# Checks NAME.geojson against RFC 7946 and NAME.kml as KML 2.2, as a GIS tool reads them.
# usage: check_geo_files.py NAME.geojson NAME.kml SECTIONS FLAGS; prints what is wrong.
import json
import math
import re
import sys
import xml.etree.ElementTree as ET

problems = []


def check(condition, what):
    if not condition:
        problems.append(what)
    return condition


def position_ok(p, where):  # [longitude, latitude]
    return check(len(p) == 2 and all(type(v) in (int, float) for v in p) and -180 <= p[0] <= 180
                 and -90 <= p[1] <= 90, f"{where}: bad position {p}")


def feet(a, b):  # along a short road, in the generator's feet per degree
    return math.hypot(b[1] - a[1], (b[0] - a[0]) * math.cos(math.radians(a[1]))) * 364000.0


W, R, T = (int,), (int, float, type(None)), (str,)  # whole, real (or null), text
SECTION = dict(section=W, start_ft=R, end_ft=R, start_station=T, end_station=T, results=W, mean=R,
               sd=R, cov=R, characteristic=R, p90=R, p95=R, min=R, max=R, start_lat=R,
               start_lon=R, end_lat=R, end_lon=R, **{"class": W}, stroke=T)
FLAG = dict(flag=W, start_ft=R, end_ft=R, start_station=T, end_station=T, results=W, peak=R,
            peak_ft=R, mean=R, lat=R, lon=R)
sections, flags = int(sys.argv[3]), int(sys.argv[4])

doc = json.load(open(sys.argv[1], encoding="utf-8"))
check(doc["type"] == "FeatureCollection" and "crs" not in doc, "not a plain FeatureCollection")
features = doc["features"]
lines = [f for f in features if f["geometry"]["type"] == "LineString"]
check((len(lines), len(features) - len(lines)) == (sections, flags), "feature counts")
colours = {}
for n, f in enumerate(features):
    g, p, where = f["geometry"], f["properties"], f"feature {n + 1}"
    kinds = SECTION if g["type"] == "LineString" else FLAG
    check(f["type"] == "Feature" and list(p) == list(kinds), f"{where}: properties {list(p)}")
    check(all(type(v) in kinds.get(k, ()) for k, v in p.items()), f"{where}: types {p}")
    if g["type"] == "Point":
        if position_ok(g["coordinates"], where):
            check(g["coordinates"] == [p["lon"], p["lat"]], f"{where}: not at lon, lat")
        continue
    path = g["coordinates"]
    check(len(path) >= 2 and all(position_ok(q, where) for q in path), f"{where}: path")
    check(path[0] == [p["start_lon"], p["start_lat"]] and path[-1] == [p["end_lon"], p["end_lat"]],
          f"{where}: its ends are not its start and end")
    check(len(path) == 2 or all(feet(a, b) > 9.9 for a, b in zip(path, path[1:])),
          f"{where}: vertices closer than 10 ft")
    check(1 <= p["class"] <= 4 and re.fullmatch("#[0-9a-f]{6}", p["stroke"]), f"{where}: class")
    colours.setdefault(p["class"], set()).add(p["stroke"])
check(all(len(c) == 1 for c in colours.values()) and
      len(set().union(*colours.values())) == len(colours), f"colours of the classes: {colours}")
ranked = sorted((f["properties"]["characteristic"], f["properties"]["class"]) for f in lines)
check(all(a[1] <= b[1] for a, b in zip(ranked, ranked[1:])), "classes do not rise with values")

k = "{http://www.opengis.net/kml/2.2}"
root = ET.parse(sys.argv[2]).getroot()
check(root.tag == k + "kml", f"root {root.tag}")
styles = {s.get("id") for s in root.iter(k + "Style")}
ids = [e.get("id") for e in root.iter() if e.get("id")]
check(len(ids) == len(set(ids)), f"ids used twice: {ids}")
marks = list(root.iter(k + "Placemark"))
lines = [m for m in marks if m.find(k + "LineString") is not None]
check((len(lines), len(marks) - len(lines)) == (sections, flags), "placemark counts")
for m in marks:
    name = m.findtext(k + "name")
    check(m.findtext(k + "styleUrl").lstrip("#") in styles, f"{name}: no style")
    check("<table>" in m.findtext(k + "description"), f"{name}: no table")
    for text in m.findtext(f".//{k}coordinates").split():
        position_ok([float(v) for v in text.split(",")], name)

print("\n".join(problems[:20]), end="")
sys.exit(1 if problems else 0)
