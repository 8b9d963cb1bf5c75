"""marovel: structural reduction of Petri nets.

Read a net (``read``, ``parse``, ``Net.from_arcs``, ``from_networkx``,
``from_pm4py``), reduce it in place with ``Net.reduce``, then look at what
is left (``places``, ``transitions``, ``arcs``, ``aggregates``) or write it
(``write``, ``write_pnml``, ``to_dot``, ``to_networkx``, ``to_pm4py``).

A net holds places, transitions and weighted arcs, never a marking: to
reduce a net whose marking matters, keep its marked places
(``keep=...``), or carry the marking over through ``aggregates``.
"""

from ._errors import Error

Error.__module__ = __name__
from ._marovel import Net, Report, __version__, parse, read
from ._networkx import from_networkx
from ._pm4py import from_pm4py

__all__ = [
    "Error",
    "Net",
    "Report",
    "__version__",
    "from_networkx",
    "from_pm4py",
    "parse",
    "read",
]
