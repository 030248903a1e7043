"""Plays the game from screenshots: finds the board's cells from the window
size, tells the blocks apart by colour, and picks removable groups."""
import time

COLUMNS = 16


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


def _colour_at(image, points):
    """The median of the samples, channel by channel: the body's colour,
    whatever the emblem, the highlight or the rim cover of some of them."""
    pixels = image.load()
    samples = [pixels[int(px), int(py)][:3] for px, py in points]
    middle = len(samples) // 2
    return tuple(sorted(channel)[middle] for channel in zip(*samples))


def read_grid(image, view, empty_threshold=40, tolerance=40):
    """Returns rows x 16 colour classes (None for an empty cell) and the
    representative colour of each class."""
    classes = []
    grid = []
    for y in range(view.rows):
        row = []
        for x in range(COLUMNS):
            colour = _colour_at(image, view.sample_points(x, y))
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


def wait_settled(game, view, timeout=10.0, interval=0.25):
    """Waits until two screenshots in a row show the same board region."""
    box = (int(view.left), int(view.top), int(view.left + COLUMNS * view.cell),
           int(view.top + view.rows * view.cell))
    previous = None
    deadline = time.time() + timeout
    while time.time() < deadline:
        shot = game.screenshot()
        region = shot.crop(box).tobytes()
        if region == previous:
            return shot
        previous = region
        time.sleep(interval)
    return game.screenshot()
