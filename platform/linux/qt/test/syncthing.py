# SPDX-License-Identifier: GPL-3.0-or-later
"""Two or more Syncthing instances on loopback, for the tests of the shared history.

Each instance has its own home (keys, configuration, database) under a test folder, fixed
ports on 127.0.0.1 found free at the start, no global or local discovery, no relays, no NAT
traversal, no usage reports and no upgrades: nothing leaves the machine. The instances are
linked by their device ids in each other's configuration, written before they start, and
share one folder each, with the file watcher's delay at one second.
"""

import json
import os
import shutil
import socket
import subprocess
import time
import urllib.request
import xml.etree.ElementTree as ET

FOLDER_ID = "tavrel-history"


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


class Syncthing:
    def __init__(self, root, name, folder):
        self.name = name
        self.home = os.path.join(root, "syncthing-" + name)
        self.folder = folder
        self.gui_port = free_port()
        self.listen_port = free_port()
        self.process = None
        self.log = os.path.join(self.home, "syncthing.log")
        os.makedirs(self.home)
        os.makedirs(folder, exist_ok=True)
        # Its own HOME as well: nothing of the user's is read or written.
        self.env = dict(os.environ, HOME=self.home, STNODEFAULTFOLDER="1", STNOUPGRADE="1")
        subprocess.run(["syncthing", "generate", "--home", self.home, "--no-default-folder",
                        "--skip-port-probing"], env=self.env, check=True,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        self.config_file = os.path.join(self.home, "config.xml")
        config = ET.parse(self.config_file).getroot()
        self.device_id = config.find("device").get("id")
        self.api_key = config.find("gui/apikey").text

    def link(self, peers):
        """Writes the configuration: this instance and its peers sharing the one folder."""
        tree = ET.parse(self.config_file)
        config = tree.getroot()
        for folder in config.findall("folder"):
            config.remove(folder)
        for device in config.findall("device"):
            if device.get("id") != self.device_id:
                config.remove(device)
        folder = ET.SubElement(config, "folder", id=FOLDER_ID, label="Tavrel", path=self.folder,
                               type="sendreceive", rescanIntervalS="3600",
                               fsWatcherEnabled="true", fsWatcherDelayS="1",
                               ignorePerms="false", autoNormalize="true")
        for device_id in [self.device_id] + [p.device_id for p in peers]:
            ET.SubElement(folder, "device", id=device_id, introducedBy="")
        ET.SubElement(folder, "filesystemType").text = "basic"
        for peer in peers:
            device = ET.SubElement(config, "device", id=peer.device_id, name=peer.name,
                                   compression="metadata", introducer="false",
                                   skipIntroductionRemovals="false", introducedBy="")
            ET.SubElement(device, "address").text = f"tcp://127.0.0.1:{peer.listen_port}"
            ET.SubElement(device, "autoAcceptFolders").text = "false"
        gui = config.find("gui")
        gui.set("enabled", "true")
        gui.set("tls", "false")
        gui.find("address").text = f"127.0.0.1:{self.gui_port}"
        options = config.find("options")
        for tag, text in (("listenAddress", f"tcp://127.0.0.1:{self.listen_port}"),
                          ("globalAnnounceEnabled", "false"),
                          ("localAnnounceEnabled", "false"), ("relaysEnabled", "false"),
                          ("natEnabled", "false"), ("startBrowser", "false"),
                          ("urAccepted", "-1"), ("autoUpgradeIntervalH", "0"),
                          ("crashReportingEnabled", "false")):
            for old in options.findall(tag):
                options.remove(old)
            ET.SubElement(options, tag).text = text
        tree.write(self.config_file)

    def start(self):
        self.process = subprocess.Popen(
            ["syncthing", "serve", "--home", self.home, "--no-browser", "--no-restart",
             "--no-upgrade", "--logfile", self.log,
             "--gui-address", f"http://127.0.0.1:{self.gui_port}"],
            env=self.env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        deadline = time.monotonic() + 30
        while time.monotonic() < deadline:
            try:
                self.rest("GET", "/rest/system/ping")
                return self
            except OSError:
                if self.process.poll() is not None:
                    raise AssertionError(f"syncthing {self.name} ended: {self.read_log()}")
                time.sleep(0.2)
        raise AssertionError(f"syncthing {self.name} did not answer: {self.read_log()}")

    def stop(self):
        if self.process is not None and self.process.poll() is None:
            self.process.terminate()
            try:
                self.process.wait(15)
            except subprocess.TimeoutExpired:
                self.process.kill()
                self.process.wait(5)
        self.process = None

    def running(self):
        return self.process is not None and self.process.poll() is None

    def rest(self, method, path, body=None):
        request = urllib.request.Request(f"http://127.0.0.1:{self.gui_port}{path}",
                                         method=method, headers={"X-API-Key": self.api_key},
                                         data=None if body is None else json.dumps(body).encode())
        with urllib.request.urlopen(request, timeout=5) as reply:
            text = reply.read().decode()
            return json.loads(text) if text.strip().startswith(("{", "[")) else text

    def rescan(self):
        """Looks at the folder now rather than at the watcher's next event."""
        self.rest("POST", f"/rest/db/scan?folder={FOLDER_ID}")

    def connected(self, peer):
        connections = self.rest("GET", "/rest/system/connections")["connections"]
        return connections.get(peer.device_id, {}).get("connected", False)

    def read_log(self):
        try:
            with open(self.log) as f:
                return f.read()[-3000:]
        except OSError:
            return ""

    def remove(self):
        self.stop()
        shutil.rmtree(self.home, ignore_errors=True)
