// Independent OPC UA server (node-opcua) for acceptance runs: node server.js PORT [b]
const { OPCUAServer } = require("node-opcua-server");
const { Variant, DataType } = require("node-opcua-variant");
const { StatusCodes } = require("node-opcua-status-code");
const port = parseInt(process.argv[2] || "4850", 10);
const variant = process.argv[3] || "a";
(async () => {
  const server = new OPCUAServer({ port, resourcePath: "/indep", buildInfo: { productName: "indep" } });
  await server.initialize();
  const ns = server.engine.addressSpace.getOwnNamespace();
  const plant = ns.addFolder("ObjectsFolder", { browseName: "Plant" });
  const mk = (id, name, dt, val, opts = {}) => {
    let v = val;
    const node = ns.addVariable({ componentOf: plant, nodeId: id, browseName: name, dataType: dt,
      accessLevel: opts.rw ? "CurrentRead | CurrentWrite" : "CurrentRead",
      userAccessLevel: opts.rw ? "CurrentRead | CurrentWrite" : "CurrentRead",
      minimumSamplingInterval: opts.msi || 100,
      value: { get: () => new Variant({ dataType: DataType[dt], value: v }),
               set: (x) => { v = x.value; return StatusCodes.Good; } } });
    node.__set = (x) => { v = x; };
    return node;
  };
  mk("ns=1;s=Temperature", "Temperature", "Double", 21.5, { rw: true });
  mk("ns=1;s=Running", "Running", "Boolean", true, { rw: true });
  mk("ns=1;s=Label", "Label", "String", "Pump 1", { rw: true });
  if (variant === "a") {
    mk("ns=1;i=1001", "Speed", "Int32", 1200);
    mk("ns=1;s=Gone", "Gone", "Int16", 5);
    mk("ns=1;s=Pressure", "Pressure", "Float", 1.5);
  } else {
    mk("ns=1;i=2001", "Speed", "Int32", 1200);          // renumbered
    mk("ns=1;s=Pressure", "Pressure", "Double", 1.5);   // type changed
    mk("ns=1;s=Added", "Added", "UInt32", 7);           // added
  }
  let count = 0;
  const counter = mk("ns=1;s=Counter", "Counter", "UInt32", 0, { msi: 100 });
  let level = 50.0;
  const levelNode = ns.addVariable({ componentOf: plant, nodeId: "ns=1;s=Level", browseName: "Level",
    dataType: "Double", historizing: true, accessLevel: "CurrentRead | HistoryRead",
    userAccessLevel: "CurrentRead | HistoryRead", minimumSamplingInterval: 100 });
  server.engine.addressSpace.installHistoricalDataNode(levelNode, { maxOnlineValues: 100000 });
  levelNode.setValueFromSource(new Variant({ dataType: DataType.Double, value: level }));
  setInterval(() => {
    count += 1; counter.__set(count);
    counter.setValueFromSource(new Variant({ dataType: DataType.UInt32, value: count }));
    level = 50 + 10 * Math.sin(count / 10);
    levelNode.setValueFromSource(new Variant({ dataType: DataType.Double, value: level }));
  }, 1000);
  await server.start();
  console.log("indep listening", server.getEndpointUrl());
})();
