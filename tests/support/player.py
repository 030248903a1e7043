"""Plays the game from screenshots: finds the menu's buttons and the board's
cells from the window size, tells the blocks apart by colour, and picks
removable groups."""
from waiting import until

COLUMNS = 16
# The menu's buttons by caption: the bottom edge of each, in normalised
# device coordinates; they are 1.0 wide and 0.16 tall, centred across.
MENU_BUTTONS = {"Simple": 0.48, "Succeeding": 0.28, "Arcade": 0.08, "Tetris": -0.12, "Show Score": -0.42}
BUTTON_WIDTH, BUTTON_HEIGHT = 1.0, 0.16


def to_pixels(size, x, y):
    """Window pixels (y down) of a point in normalised device coordinates."""
    width, height = size
    return (x + 1.0) * 0.5 * width, (1.0 - y) * 0.5 * height


def button_centre(caption, size=(960, 600)):
    """Window pixel centre of a menu button in a window of the size."""
    width, height = size
    return width // 2, int((1.0 - (MENU_BUTTONS[caption] + BUTTON_HEIGHT / 2)) / 2.0 * height)


def button_box(caption, size=(960, 600)):
    """The window-pixel box (left, top, right, bottom) of a menu button's
    face, y down."""
    bottom = MENU_BUTTONS[caption]
    left, top = to_pixels(size, -BUTTON_WIDTH / 2, bottom + BUTTON_HEIGHT)
    right, low = to_pixels(size, BUTTON_WIDTH / 2, bottom)
    return int(left), int(top), int(right), int(low)


def button_strip(caption, size=(960, 600)):
    """A strip across the middle of a menu button's face, clear of its
    rim: 400 by 30 pixels in the 960 by 600 window."""
    w, h = size
    x, y = button_centre(caption, size)
    return (x - w * 200 // 960, y - h * 15 // 600, x + w * 200 // 960, y + h * 15 // 600)


def menu_shown(image):
    """Every one of the menu's buttons is lit where it stands."""
    return all(lit_pixels(image, button_strip(c, image.size)) > 1000 for c in MENU_BUTTONS)


def score_row(i, size=(960, 600)):
    """A strip across row i of the table on the score screen."""
    width, height = size
    return (width // 4, int((0.15 + 0.065 * i) * height), width * 3 // 4, int((0.2 + 0.065 * i) * height))


def lit_pixels(image, box):
    """Pixels in box that are not background black (alpha, if any, aside)."""
    return sum(1 for p in image.crop(box).getdata() if max(p[:3]) > 60)


def playing(image):
    """The score line stands in the top-left corner only while a game runs."""
    height = image.size[1]
    return lit_pixels(image, (0, 0, height * 90 // 600, height * 30 // 600)) > 40


class BoardView:
    """The board's cells in window pixels (y down), for a board of `rows`
    rows in a window of width x height: cells are square, the board spans
    0.9 of the window height either side of the centre and is centred
    horizontally."""

    def __init__(self, width, height, rows):
        self.width, self.height, self.rows = width, height, rows
        self.cell = 0.9 * height / rows
        self.left = (width - COLUMNS * self.cell) / 2.0
        self.top = 0.05 * height

    def centre(self, x, y):
        return (self.left + (x + 0.5) * self.cell, self.top + (y + 0.5) * self.cell)

    def sample_points(self, x, y):
        """A ring of points over a block's body, around its emblem."""
        c = self.cell
        px, py = self.left + x * c, self.top + y * c
        steps = (0.18, 0.3, 0.7, 0.82)
        return [(px + c * fx, py + c * fy) for fx in steps for fy in steps
                if not (fx in (0.3, 0.7) and fy in (0.3, 0.7))]


# A cell of a board wider than its window that the window cuts: part of
# its block is not on the screen, so its colour cannot be told.
UNSEEN = "?"


def _colour_at(image, points):
    """The median of the samples, channel by channel: the body's colour,
    whatever the emblem, the highlight or the rim cover of some of them."""
    pixels = image.load()
    samples = [pixels[int(px), int(py)][:3] for px, py in points]
    middle = len(samples) // 2
    return tuple(sorted(channel)[middle] for channel in zip(*samples))


def read_grid(image, view, empty_threshold=40, tolerance=40, classes=None):
    """Returns rows x 16 colour classes (None for an empty cell, UNSEEN for
    one the window cuts) and the representative colour of each class. Pass
    the classes of an earlier read to keep their numbers, so two reads can
    be compared cell by cell."""
    classes = list(classes) if classes else []
    width, height = image.size
    grid = []
    for y in range(view.rows):
        row = []
        for x in range(COLUMNS):
            points = view.sample_points(x, y)
            if not all(0 <= px < width and 0 <= py < height for px, py in points):
                row.append(UNSEEN)
                continue
            colour = _colour_at(image, points)
            if max(colour) < empty_threshold:
                row.append(None)
                continue
            for index, ref in enumerate(classes):
                if max(abs(a - b) for a, b in zip(colour, ref)) <= tolerance:
                    row.append(index)
                    break
            else:
                classes.append(colour)
                row.append(len(classes) - 1)
        grid.append(row)
    return grid, classes


def group_at(grid, x, y):
    colour = grid[y][x]
    if colour is None:
        return []
    seen = {(x, y)}
    stack = [(x, y)]
    while stack:
        cx, cy = stack.pop()
        for nx, ny in ((cx - 1, cy), (cx + 1, cy), (cx, cy - 1), (cx, cy + 1)):
            if 0 <= ny < len(grid) and 0 <= nx < COLUMNS and (nx, ny) not in seen \
                    and grid[ny][nx] == colour:
                seen.add((nx, ny))
                stack.append((nx, ny))
    return sorted(seen)


def removable_groups(grid):
    """Every group of two or more, in cell index order of its first cell."""
    done = set()
    groups = []
    for y in range(len(grid)):
        for x in range(COLUMNS):
            if (x, y) in done or grid[y][x] is None:
                continue
            group = group_at(grid, x, y)
            done.update(group)
            if len(group) >= 2:
                groups.append(group)
    return groups


def block_count(grid):
    return sum(1 for row in grid for cell in row if cell is not None)


def disjoint_groups(grid):
    """Removable groups that can all be clicked off one reading of the
    board, largest first: no two share a column or stand in neighbouring
    ones, so no block falling after one removal moves or joins another
    group. A group that empties its column makes the columns to its left
    close up; at most one such group is taken, and it comes last."""
    taken, closing, used = [], None, set()
    for group in sorted(removable_groups(grid), key=len, reverse=True):
        columns = {x for x, _ in group}
        if columns & used:
            continue
        if empties_a_column(grid, group):
            if closing is not None:
                continue
            closing = group
        else:
            taken.append(group)
        used |= {c + d for c in columns for d in (-1, 0, 1)}
    return taken + ([closing] if closing else [])


def empties_a_column(grid, group):
    """Whether the group holds every block of one of its columns."""
    return any(sum(1 for gx, _ in group if gx == x) == sum(1 for row in grid if row[x] is not None)
               for x in {x for x, _ in group})


def settled(grid, groups, close_up=True):
    """The board once the groups are gone and it has come to rest: the
    blocks above each hole fall to the bottom, and (but in Tetris) emptied
    columns close up towards the right."""
    gone = {cell for group in groups for cell in group}
    rows = len(grid)
    columns = []
    for x in range(COLUMNS):
        blocks = [grid[y][x] for y in range(rows) if grid[y][x] is not None and (x, y) not in gone]
        columns.append([None] * (rows - len(blocks)) + blocks)
    if close_up:
        kept = [c for c in columns if any(v is not None for v in c)]
        columns = [[None] * rows] * (COLUMNS - len(kept)) + kept
    return [[columns[x][y] for x in range(COLUMNS)] for y in range(rows)]


def differences(seen, expected, refilled=False):
    """The cells in which a board read from the screen differs from the
    expected one; cells it could not see are taken as they should be.
    With `refilled` (Arcade, Tetris), blocks the mode added in the
    meantime may stand above the expected ones in any column."""
    rows = len(expected)
    cells = []
    for x in range(COLUMNS):
        height = sum(1 for y in range(rows) if expected[y][x] is not None)
        for y in range(rows):
            if refilled and y < rows - height:
                continue
            if seen[y][x] != expected[y][x] and seen[y][x] is not UNSEEN:
                cells.append((x, y))
    return cells


def wait_settled(game, view, timeout=10.0, interval=0.25, ignore=None):
    """Waits until two screenshots in a row show the same board region,
    but for the `ignore` box (window pixels; the clock of a mode that has
    one runs over the board's corner). That clock must have moved between
    the two: on a loaded machine a game may draw no frame for a while, and
    a board caught still in the middle of a fall is no board at rest.
    Returns the last screenshot, still or not when the time is up (a
    Tetris board is never still)."""
    box = (max(0, int(view.left)), int(view.top), min(view.width, int(view.left + COLUMNS * view.cell)),
           int(view.top + view.rows * view.cell))
    previous = [None, None]

    def look():
        shot = game.screenshot()
        compared, clock = shot, None
        if ignore:
            clock = shot.crop(ignore).tobytes()
            compared = shot.copy()
            compared.paste((0, 0, 0), ignore)
        region = compared.crop(box).tobytes()
        still = region == previous[0] and (clock is None or clock != previous[1])
        previous[:] = [region, clock]
        return shot, still

    return until("the board to keep still", look, lambda seen: seen[1], timeout=timeout, interval=interval,
                 required=False)[0]
