#!/usr/bin/env python3
"""Writes the benchmark maps next to this script from the game's own map: the same tile layers
(plus a few flipped decoration tiles) and a long serpentine path of eight rows across the
window, with the spawners of each scenario off the left edge and a very strong base at the end.
Run it again after changing a number here; the maps are committed."""
import json
import os

HERE = os.path.dirname(os.path.abspath(__file__))
SOURCE = os.path.join(HERE, "..", "..", "assets", "game.tmj")

LEFT = 40


def rows(count):
    """The path's rows, pixels."""
    return [100 + 80 * k for k in range(count)]


def prop(name, kind, value):
    return {"name": name, "type": kind, "value": value}


def waypoints(row_count, right):
    points = []
    for k, y in enumerate(rows(row_count)):
        xs = (LEFT, right) if k % 2 == 0 else (right, LEFT)
        points += [(xs[0], y), (xs[1], y)]
    return points


def objects(spawners, spawn_rate, wave_size, row_count, right):
    result = []
    next_id = 1

    def add(kind, x, y, w, h, props):
        nonlocal next_id
        result.append({"id": next_id, "name": "", "type": kind, "x": x, "y": y, "width": w, "height": h,
                       "rotation": 0, "visible": True, "properties": props})
        next_id += 1

    end = waypoints(row_count, right)[-1]
    add("Base", end[0] - 48, end[1] - 48, 96, 96,
        [prop("Health", "float", 1000000000.0), prop("Texture", "string", "base")])
    # Spawners 50 pixels apart on the first row's line: their streams interleave evenly.
    for i in range(spawners):
        add("Spawner", -80 - 50 * i, rows(row_count)[0] - 20, 40, 40,
            [prop("HardEnemy", "int", 6), prop("MiddleEnemy", "int", 3), prop("SpawnRate", "float", spawn_rate),
             prop("WaveSize", "int", wave_size)])
    for index, (x, y) in enumerate(waypoints(row_count, right), start=1):
        add("Waypoint", x, y, 0, 0, [prop("Waypoint", "int", index)])
    add("Obstacle", 0, 0, 1280, 60, [])
    return result


def repeat(layer, times):
    """The layer's tiles repeated times over across and down."""
    width, height = layer["width"], layer["height"]
    data = []
    for _ in range(times):
        for y in range(height):
            data += layer["data"][y * width:(y + 1) * width] * times
    layer["data"] = data
    layer["width"], layer["height"] = width * times, height * times


def write(name, spawners, spawn_rate, wave_size, row_count=8, times=1):
    """times > 1: a world times as wide and high as the window, tiles repeated, rows to match."""
    with open(SOURCE) as f:
        game = json.load(f)
    tile_layers = [layer for layer in game["layers"] if layer["type"] == "tilelayer"]
    decoration = tile_layers[-1]
    # A few flipped tiles so the flip flags are drawn too (horizontal, vertical, diagonal).
    for i, flags in ((40, 0x80000000), (41, 0x40000000), (42, 0x20000000), (43, 0xE0000000)):
        decoration["data"][i] = 5 | flags
    if times > 1:
        for layer in tile_layers:
            repeat(layer, times)
        game["width"] *= times
        game["height"] *= times
    right = 1280 * times - LEFT
    game["layers"] = tile_layers + [{
        "id": 3, "name": "Objects", "type": "objectgroup", "opacity": 1, "visible": True, "x": 0, "y": 0,
        "draworder": "topdown",
        "objects": objects(spawners, spawn_rate, wave_size, row_count, right)}]
    with open(os.path.join(HERE, name + ".tmj"), "w") as f:
        json.dump(game, f, indent=1)
        f.write("\n")


write("small", spawners=1, spawn_rate=0.5, wave_size=5)
write("large", spawners=4, spawn_rate=0.15, wave_size=5)
# Twice as wide and high as the window, sixteen rows: about four times the large path, about as
# crowded once 5000 enemies are on it.
write("huge", spawners=8, spawn_rate=0.08, wave_size=5, row_count=16, times=2)
write("long", spawners=1, spawn_rate=0.3, wave_size=5)
